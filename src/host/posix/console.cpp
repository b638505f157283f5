#include <unistd.h>

#include "host/console.h"

namespace ssdfwu {

bool StandardInputIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}
bool StandardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace ssdfwu
