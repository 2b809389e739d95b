// The saver window's states and what each event does in each of them: one
// table, held by the shell on the interface thread. Portable, so that every
// cell is checked on the host.
#pragma once

namespace morv {

enum class SaverPhase : unsigned char {
  Starting,   // a layout is taken; its pictures wait for the window's erase
  RunDue,     // erased: the window's own message loop starts the run next
  Computing,  // the run is under way, called from that loop
  Showing,    // the ferns (complete or stopped) grow on the ticks
  Verifying,  // the password prompt runs, with a message loop of its own
  Closing,    // approved or destroyed: nothing is laid out or computed again
};
constexpr int SaverPhaseCount = 6;

enum class SaverEvent : unsigned char {
  SameDepthChange,  // WM_DISPLAYCHANGE at the surface's colour depth (or one already refused)
  DepthChange,      // WM_DISPLAYCHANGE at a new colour depth
  Follow,           // the queued follow of the displays
  Erase,            // the background erase of a paint
  Tick,             // the animation timer
  Input,            // a key, button, mouse travel or lost activation, through the close policy
  Close,            // WM_CLOSE
  Refused,          // the password check said no (or was debounced)
  Accepted,         // the password check said yes, or there is none
  Power,            // WM_POWERBROADCAST, or a critical resume
  Destroy,          // WM_DESTROY
  DialogAbort,      // the run stopped on a move or Escape at its dialog
  RunEnded,         // the run returned on its own (complete or out of memory)
  LoopTurn,         // the window's own message loop, between two messages
};
constexpr int SaverEventCount = 14;

// What the step asks the shell to do besides changing the state.
enum SaverAction : unsigned {
  StartRun = 1u << 0,     // compute what the layout lacks, now, from the loop
  CloseWindow = 1u << 1,  // the window goes (DefWindowProcA destroys it)
  PostClose = 1u << 2,    // queue WM_CLOSE: the close comes after whatever runs now
  AskPassword = 1u << 3,  // put the close to the password check
  AbortRun = 1u << 4,     // the run under way stops before its next level
  LayOut = 1u << 5,       // the window covers the displays, the pictures start afresh
  QueueFollow = 1u << 6,  // queue a follow of the displays (or a look, while one settles)
  Draw = 1u << 7,         // the tick draws
};

struct SaverState {
  SaverPhase phase;
  SaverPhase interrupted;  // while Verifying: the phase the prompt interrupted
};

struct SaverStep {
  SaverState next;
  unsigned actions;  // SaverAction bits
};

// The table. A preview takes no part in closing by input and ignores display
// changes: its size and life are its host's.
SaverStep DecideSaverStep(const SaverState& state, SaverEvent event, bool preview);

const char* SaverPhaseName(SaverPhase phase);

}  // namespace morv
