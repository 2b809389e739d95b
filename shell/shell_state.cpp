#include "shell_state.h"

namespace morv {
namespace {

ShellState StartValues() {
  ShellState s = {};
  s.lastVerifyTick = NoVerifyTick;
  return s;
}

ShellState g_shell = StartValues();

}  // namespace

ShellState& Shell() { return g_shell; }

void ResetShellState(ShellState& state) { state = StartValues(); }

}  // namespace morv
