#pragma once
// Numbers of the messages retrieval writes in the status line (texts in the language file).
namespace StatusMessage {
enum : int {
    Searching = 63,       // newest-run probe under way
    NoServer = 64,        // message box: no map server answered
    NoServerStatus = 65,
    NewRun = 66,
    UpToDate = 67,
    StepDone = 54,        // the maps of a step have arrived
    NotAMap = 78,         // the probe got an answer that is not a map
    Failures = 81,        // %1 maps failed, %2 the last reason
    Trying = 84,          // followed by the server the probe tries
    Cancelled = 85,
};
}
