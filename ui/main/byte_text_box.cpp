#include "byte_text_box.h"

#include <QMimeData>

namespace sfc::ui {

ByteTextBox::ByteTextBox(BoxCodec codec, QWidget* parent) : QPlainTextEdit(parent), codec_(codec) {
  setUndoRedoEnabled(true);
}

DecodedBytes ByteTextBox::Bytes() const {
  const QString text = BoxText(*document());
  DecodedBytes decoded =
      codec_ == BoxCodec::kTranslit ? TranslitTextToBytes(text) : GlyphTextToBytes(text);
  SetLineEnd(decoded.bytes, line_end_);
  return decoded;
}

QString ByteTextBox::ToText(std::string_view bytes) const {
  return codec_ == BoxCodec::kTranslit ? TranslitBytesToText(bytes)
                                       : GlyphBytesToText(bytes, symbol_map_);
}

void ByteTextBox::SetBytes(std::string_view bytes) {
  line_end_ = LineEndOf(bytes);
  setPlainText(ToText(bytes));
}

void ByteTextBox::SetBoxFont(const QFont& font) {
  const std::string bytes = Bytes().bytes;
  setFont(font);
  const bool symbol_map = codec_ == BoxCodec::kGlyph && HasSymbolCharMap(font);
  if (symbol_map != symbol_map_) {
    symbol_map_ = symbol_map;
    SetBytes(bytes);
  }
}

void ByteTextBox::InsertBytes(std::string_view bytes) {
  textCursor().insertText(ToText(bytes));
  ensureCursorVisible();
}

bool ByteTextBox::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void ByteTextBox::insertFromMimeData(const QMimeData* source) {
  if (!source->hasText()) return;
  const QString text = source->text();
  std::optional<DecodedBytes> converted;
  if (paste_converter_) converted = paste_converter_(text);
  const DecodedBytes decoded = converted                       ? *std::move(converted)
                               : codec_ == BoxCodec::kTranslit ? TranslitTextToBytes(text)
                                                               : GlyphTextToBytes(text);
  if (decoded.bytes.find('\n') != std::string::npos) line_end_ = LineEndOf(decoded.bytes);
  textCursor().insertText(ToText(decoded.bytes));
  ensureCursorVisible();
  emit pasted(decoded.left_out);
}

}  // namespace sfc::ui
