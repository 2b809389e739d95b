#include "saver_states.h"

namespace morv {
namespace {

using P = SaverPhase;

SaverStep Stay(const SaverState& s, unsigned actions = 0) { return SaverStep{s, actions}; }
SaverStep Go(SaverPhase phase, unsigned actions = 0) { return SaverStep{{phase, phase}, actions}; }

// Starting, RunDue and Showing: the window is up and nothing else holds the thread.
bool Open(P p) { return p == P::Starting || p == P::RunDue || p == P::Showing; }

SaverStep OnDisplayChange(const SaverState& s, bool newDepth) {
  if (s.phase == P::Closing) return Stay(s);
  if (!newDepth) return Stay(s, QueueFollow);  // followed from the queue, after a run
  // The surface's pixel format cannot be chosen again: end as a key does, and
  // lay out nothing meanwhile. A run under way stops first. During a prompt
  // its answer stands for the new depth too.
  if (s.phase == P::Computing) return Stay(s, AbortRun | PostClose);
  if (s.phase == P::Verifying) return Stay(s);
  return Stay(s, PostClose);
}

SaverStep OnFollow(const SaverState& s) {
  if (Open(s.phase)) return Go(P::Starting, LayOut);
  // A run never has a follow dispatched inside it; should one come, it waits.
  if (s.phase == P::Computing) return Stay(s, QueueFollow);
  return Stay(s);  // Verifying: the refusal queues one; Closing: none
}

SaverStep OnErase(const SaverState& s) {
  if (s.phase == P::Starting) return Go(P::RunDue);
  // Erased inside the prompt: the run waits for the prompt's end and the loop.
  if (s.phase == P::Verifying && s.interrupted == P::Starting) {
    return Stay(SaverState{P::Verifying, P::RunDue});
  }
  return Stay(s);
}

// A picture draws only on ferns its run has given it: a tick before the run
// would start a pause on no ferns, and the pictures would wait it out.
SaverStep OnTick(const SaverState& s) {
  switch (s.phase) {
    case P::Starting:
    case P::RunDue:
      return Stay(s, QueueFollow);
    case P::Showing:
      return Stay(s, Draw | QueueFollow);
    case P::Verifying:  // the picture goes on behind the prompt
      return Stay(s, s.interrupted == P::Showing ? Draw : 0u);
    default:
      return Stay(s);
  }
}

SaverStep OnClose(const SaverState& s) {
  if (Open(s.phase)) return SaverStep{{P::Verifying, s.phase}, AskPassword};
  if (s.phase == P::Computing) return Stay(s, AbortRun | PostClose);
  if (s.phase == P::Closing) return Stay(s, CloseWindow);
  return Stay(s);  // Verifying: refused, no second prompt
}

SaverStep OnPowerOrInput(const SaverState& s, bool power) {
  if (Open(s.phase)) return Stay(s, PostClose);
  // The dialog has the input and turns it into its abort; power ends the run.
  if (s.phase == P::Computing && power) return Stay(s, AbortRun | PostClose);
  return Stay(s);
}

SaverStep Preview(const SaverState& s, SaverEvent event) {
  switch (event) {
    case SaverEvent::SameDepthChange:
    case SaverEvent::DepthChange:
    case SaverEvent::Follow:
    case SaverEvent::Input:
    case SaverEvent::Power:
      return Stay(s);
    case SaverEvent::Close:
      // Not inside the run: it would free the ferns under it.
      if (s.phase == P::Computing) return Stay(s, AbortRun | PostClose);
      return Go(P::Closing, CloseWindow);
    default:
      return DecideSaverStep(s, event, false);
  }
}

}  // namespace

SaverStep DecideSaverStep(const SaverState& s, SaverEvent event, bool preview) {
  if (preview) return Preview(s, event);
  switch (event) {
    case SaverEvent::SameDepthChange:
      return OnDisplayChange(s, false);
    case SaverEvent::DepthChange:
      return OnDisplayChange(s, true);
    case SaverEvent::Follow:
      return OnFollow(s);
    case SaverEvent::Erase:
      return OnErase(s);
    case SaverEvent::Tick:
      return OnTick(s);
    case SaverEvent::Input:
      return OnPowerOrInput(s, false);
    case SaverEvent::Power:
      return OnPowerOrInput(s, true);
    case SaverEvent::Close:
      return OnClose(s);
    case SaverEvent::Refused:
      // Back to what the prompt interrupted; a change that came meanwhile is followed now.
      if (s.phase == P::Verifying) return Go(s.interrupted, QueueFollow);
      return Stay(s);
    case SaverEvent::Accepted:
      if (s.phase == P::Verifying) return Go(P::Closing, CloseWindow);
      return Stay(s);
    case SaverEvent::Destroy:
      // Sent during the run (a preview's host goes): the run stops, and the
      // render side frees its ferns once the run has returned.
      return Go(P::Closing, s.phase == P::Computing ? AbortRun : 0u);
    case SaverEvent::DialogAbort:
    case SaverEvent::RunEnded:
      if (s.phase == P::Computing) return Go(P::Showing);
      return Stay(s);
    case SaverEvent::LoopTurn:
      if (s.phase == P::RunDue) return Go(P::Computing, StartRun);
      return Stay(s);
  }
  return Stay(s);
}

const char* SaverPhaseName(SaverPhase phase) {
  static const char* const names[SaverPhaseCount] = {"Starting",  "RunDue",    "Computing",
                                                     "Showing",   "Verifying", "Closing"};
  return names[static_cast<int>(phase)];
}

}  // namespace morv
