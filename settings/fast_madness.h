// The "Fast Madness" setting: one per-user registry byte that selects the fast tick.
// HKEY_CURRENT_USER\Software\Quillane\Morvessantique, value "Fast Madness", REG_BINARY.
#pragma once

namespace morv {

// 1 when the value reads as one non-zero byte (of any type); 0 when it is off, missing,
// longer than one byte, empty or unreadable.
int ReadFastMadness();
// Stores the low byte of `value` as one REG_BINARY byte unless the reading already equals
// it. 0: stored or nothing to do; -1: the key could not be created or opened; -2: the
// value could not be set.
int WriteFastMadness(int value);

}  // namespace morv
