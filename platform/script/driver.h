#pragma once

// The program driven as a person would: a script's actions fed in one after another as
// taps and key presses on the real widgets, each one only once the program waits for input
// again, with what happens written to the transcript. An action aimed at a window that is
// not the one on top (no person could reach it) is a script error and ends the run.

#include "platform/script/script.h"
#include "platform/script/transcript.h"

#include <memory>
#include <vector>

namespace platform::gui {

class ScriptDriver {
public:
    // endTheProgram: when the run is over, every window's loop is ended (the program's own
    // run); in-process tests leave their windows to the script.
    ScriptDriver(std::vector<ScriptAction> actions, Transcript& transcript,
                 bool endTheProgram = true);
    ~ScriptDriver();
    ScriptDriver(const ScriptDriver&) = delete;
    ScriptDriver& operator=(const ScriptDriver&) = delete;

    // Begins feeding actions once the user-interface thread runs its events.
    void Start();
    bool Finished() const;
    // 0: the script ran to its end; 1: the program ended before it; 2: a script error.
    int ExitCode() const;
    // The program ended on its own (its start-up returned): the run is over.
    void ProgramEnded();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform::gui
