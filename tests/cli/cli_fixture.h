// vireta-export run inside a fresh folder, for the command-line tests.
#pragma once

#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class CliFixture : public testing::Test {
protected:
    // Runs vireta-export with `args` (a shell word list) in the folder.
    Outcome run(const std::string& args) {
        const std::string cmd = std::string("cd '") + dir_ + "' && '" + VIRETA_EXPORT_BIN + "' " +
                                args + " >stdout.txt 2>stderr.txt";
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testfiles::readFile(dir_ + "stdout.txt"),
                testfiles::readFile(dir_ + "stderr.txt")};
    }
    void write(const std::string& name, const std::string& bytes) { testfiles::writeFile(dir_ + name, bytes); }
    bool exists(const std::string& name) const { return ::access((dir_ + name).c_str(), F_OK) == 0; }

    testfiles::ScratchDir scratch_;
    const std::string dir_ = scratch_.folder();
};
