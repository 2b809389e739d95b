// The "Fast Madness" setting: one per-user registry byte that selects the fast tick.
#pragma once

namespace morv {

// 1 when the setting is on; 0 when it is off, missing or unreadable.
int ReadFastMadness();
// Stores the low byte of `value` unless the reading already equals it.
// 0: stored or nothing to do; -1: the key could not be created or opened; -2: the value could not be set.
int WriteFastMadness(int value);

}  // namespace morv
