#include "sfconv.h"

namespace sfc {

int RunSfconv(const std::vector<std::string>&, std::istream&, std::ostream&, std::ostream&) {
  return kExitUsage;
}

}  // namespace sfc
