#include "scratch_postgres.h"

#include <filesystem>
#include <stdexcept>

#include "game_driver.h"

namespace {

std::string run(const std::vector<std::string>& argv) {
    ProgramRun program(argv, {});
    if (program.waitForExit(90000) != 0)
        throw std::runtime_error(argv[0] + " failed: " + program.out() + program.err());
    return program.out();
}

}  // namespace

ScratchPostgres::ScratchPostgres(const std::string& dir) : dir_(std::filesystem::absolute(dir)) { start(); }

ScratchPostgres::~ScratchPostgres() {
    try {
        stop();
    } catch (const std::exception&) {
        // Nothing to do about it here: the folder goes with the test's.
    }
}

void ScratchPostgres::start() {
    uri_ = script("start");
    uri_.erase(uri_.find_last_not_of('\n') + 1);
    running_ = true;
}

void ScratchPostgres::stop() {
    if (running_) script("stop");
    running_ = false;
}

std::string ScratchPostgres::query(const std::string& sql) const {
    return run({"/usr/bin/psql", "-X", "-At", "-v", "ON_ERROR_STOP=1", "-c", sql, uri_});
}

std::string ScratchPostgres::script(const std::string& command) const {
    return run({"/bin/bash", QUADRUNE_SOURCE_DIR "/tools/scratch_postgres.sh", command, dir_});
}
