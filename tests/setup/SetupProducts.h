#pragma once
// Products for Setup's end-to-end tests, written to disc folders by the build's writer, and an
// in-process run of the Setup program over this process's machine folder.
#include "installer/setup/CSetupProgram.h"
#include "libraries/build/SetupWriter.h"
#include "platform/Machine.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace setup_test {

platform::Machine openMachine();

// One QApplication per test process.
QApplication& application();

// A product with a Main component of two files, every optional page on, Normal, Minimal and
// Custom offered, a program group and a readme offered by question.
build::Product smallProduct(const std::filesystem::path& sources);

// Adds a file of `content` to the product, its source written below `sources`.
void addFile(build::Product& product, const std::filesystem::path& sources, uint32_t component, std::string name,
             const std::string& content);

// Bytes that do not compress, so that a setup spans discs of a small capacity.
std::string noise(std::size_t size, uint32_t seed);

struct SetupDiscs {
    testing_support::TempFolder folder{"discs"};
    build::BuildResult result;
    std::filesystem::path disc(int n) const { return folder / ("Disc" + std::to_string(n)); }
};

// Writes the product's discs; `withProgram` copies Setup and its decompressor into Disc1.
std::unique_ptr<SetupDiscs> writeDiscs(const build::Product& product, uint64_t capacity = 0, bool withProgram = false);

// Runs Setup in this process as if started from Disc1 with these arguments.
int runSetup(const SetupDiscs& discs, std::vector<std::string> arguments = {});

// Journal lines of the machine.
std::vector<std::string> journal(const platform::Machine& machine);

}  // namespace setup_test
