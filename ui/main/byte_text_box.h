// A multi-line text box that holds bytes: transliteration shown as
// Windows-1252 text, or Devanagari glyph codes shown byte for byte in a
// symbol font. Every paste, whatever its path, goes through the box's
// codec: characters no byte can hold are left out and reported.
#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "byte_text.h"

namespace sfc::ui {

enum class BoxCodec { kTranslit, kGlyph };

class ByteTextBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  ByteTextBox(BoxCodec codec, QWidget* parent = nullptr);

  BoxCodec codec() const { return codec_; }
  // The box's text as bytes; characters typed that no byte can hold are
  // listed in left_out.
  DecodedBytes Bytes() const;
  void SetBytes(std::string_view bytes);
  // Inserts bytes at the cursor, as a paste would.
  void InsertBytes(std::string_view bytes);
  // Sets the font and shows the same bytes in it (a symbol font shows its
  // glyphs at other characters than a font without a symbol map).
  void SetBoxFont(const QFont& font);
  // Pasted text the box's codec would not read as meant (Unicode IAST in a
  // transliteration box) may be turned into bytes by the window instead: the
  // converter returns nothing to leave the text to the codec.
  using PasteConverter = std::function<std::optional<DecodedBytes>(const QString&)>;
  void SetPasteConverter(PasteConverter converter) { paste_converter_ = std::move(converter); }

 signals:
  // After a paste was inserted; left_out names what it could not hold.
  void pasted(const std::vector<sfc::ui::LeftOutCharacter>& left_out);

 protected:
  void insertFromMimeData(const QMimeData* source) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;

 private:
  QString ToText(std::string_view bytes) const;

  BoxCodec codec_;
  PasteConverter paste_converter_;
  bool symbol_map_ = false;
  // How the bytes last given to the box ended their lines; the box itself
  // ends every line with LF.
  LineEnd line_end_ = LineEnd::kLf;
};

}  // namespace sfc::ui
