#pragma once
#include <string>

#include "replay_intake.h"

// Plays a replay again in a child process of its own. The rules core keeps
// one game a process, so verifiers side by side need processes; and a
// child's crash, or a replay that outruns its time or memory, stays its own
// and is refused. Time: 5 s of processor; memory: 512 MiB, far above what the
// format's limits let a replay take.
ReplayJudgement judgeReplayApart(const std::string& query, const std::string& body, const ReplayRules& rules);
