// A home of the test's own for the settings and progress the program saves,
// removed when the test is done.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class PrivateHome {
public:
    explicit PrivateHome(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path);
        setenv("XDG_CONFIG_HOME", (path / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (path / "data").c_str(), 1);
    }
    ~PrivateHome() { std::filesystem::remove_all(path); }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    const std::filesystem::path path;
};
