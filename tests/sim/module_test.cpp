// module_test.cpp: loading modules by path, loader errors, and fresh module state on every load.
#include <dlfcn.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "qvsim/module.h"
#include "qvsim/sim_host.h"

using qvsim::Module;
using qvsim::SimHost;
using qvsim::SlotKind;

namespace {

const std::string counting = QVSIM_FIXTURE_COUNTING;
const std::string nothink = QVSIM_FIXTURE_NOTHINK;
const std::string nodelete = QVSIM_FIXTURE_NODELETE;

bool mapped(const std::string &path) {
    void *h = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

int framesSeen(Module &m) { return m.clientConnect(nullptr, "", ""); }

void expectEmpty(const Module &m) {
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(m.giveFuncs, nullptr);
    EXPECT_EQ(m.gameDLLInit, nullptr);
    EXPECT_EQ(m.mapInit, nullptr);
    EXPECT_EQ(m.think, nullptr);
    EXPECT_EQ(m.clientConnect, nullptr);
    EXPECT_EQ(m.clientCommand, nullptr);
}

TEST(ModuleLoad, ResolvesAllSixAndDrivesTheTable) {
    SimHost host;
    host.install();
    host.setSlot(1, SlotKind::Client);
    Module m;
    ASSERT_TRUE(m.load(counting)) << m.error();
    EXPECT_TRUE(m.error().empty());
    EXPECT_EQ(m.path(), counting);
    EXPECT_EQ(m.loadedFrom(), counting);

    m.giveFuncs(host.table());
    m.gameDLLInit();
    m.mapInit();
    EXPECT_EQ(host.modelIndex("sprites/fixture.spr"), 1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].payload, (std::vector<std::uint8_t>{TE_KILLBEAM, 1, 0}));
    EXPECT_EQ(host.framingErrorCount(), 0u);

    host.setCommand({"say", "hello"});
    EXPECT_EQ(m.clientCommand(host.entity(1)), 0);
    ASSERT_EQ(host.chat().size(), 1u);
    EXPECT_EQ(host.chat()[0].slot, 1);
    EXPECT_EQ(host.chat()[0].text, "say");

    m.unload();
    expectEmpty(m);
}

TEST(ModuleLoad, ErrorsNameTheFileAndTheReason) {
    const auto dir = std::filesystem::temp_directory_path() / ("qvsim-module-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string missing = (dir / "absent.so").string();
    const std::string notModule = (dir / "notes.so").string();
    // Longer than an ELF header, so the loader reads it and rejects it.
    std::ofstream(notModule) << std::string(4, '#') << " notes, not a shared object\n" << std::string(80, '-') << "\n";

    struct Case {
        std::string path;
        std::string exact;   // the whole message, when it is ours alone
        std::string reason;  // else a part of the loader's reason
    };
    const Case cases[] = {
        {missing, "", "No such file or directory"},
        {notModule, "", "invalid ELF header"},
        {nothink, "module " + nothink + " has no export plgThink", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        Module m;
        EXPECT_FALSE(m.load(c.path));
        expectEmpty(m);
        if (!c.exact.empty()) {
            EXPECT_EQ(m.error(), c.exact);
        } else {
            EXPECT_EQ(m.error().rfind("cannot load module " + c.path + ": ", 0), 0u) << m.error();
            EXPECT_NE(m.error().find(c.reason), std::string::npos) << m.error();
        }
    }
    // A failed load drops a module loaded before it.
    Module m;
    ASSERT_TRUE(m.load(counting)) << m.error();
    EXPECT_FALSE(m.load(missing));
    expectEmpty(m);
    EXPECT_TRUE(m.load(counting)) << m.error();
    EXPECT_TRUE(m.error().empty());
    std::filesystem::remove_all(dir);
}

// The counting fixture's plgClientConnect answers the frames it has seen.
TEST(ModuleLoad, UnloadThenLoadStartsFresh) {
    for (const std::string &path : {counting, nodelete}) {
        SCOPED_TRACE(path);
        Module m;
        ASSERT_TRUE(m.load(path)) << m.error();
        m.think();
        m.think();
        m.think();
        EXPECT_EQ(framesSeen(m), 3);
        m.unload();
        // The plain module really leaves the process; the nodelete one
        // stays, so it exercises the reload from a private copy.
        EXPECT_EQ(mapped(path), path == nodelete);
        ASSERT_TRUE(m.load(path)) << m.error();
        EXPECT_EQ(framesSeen(m), 0);
        EXPECT_EQ(m.loadedFrom() == path, path == counting);
        EXPECT_FALSE(m.loadedFrom() != path && std::filesystem::exists(m.loadedFrom()));
        m.think();
        EXPECT_EQ(framesSeen(m), 1);
    }
}

TEST(ModuleLoad, TwoLoadsOfOneFileDoNotShareState) {
    Module a, b;
    ASSERT_TRUE(a.load(counting)) << a.error();
    ASSERT_TRUE(b.load(counting)) << b.error();
    EXPECT_NE(b.loadedFrom(), counting);
    a.think();
    a.think();
    b.think();
    EXPECT_EQ(framesSeen(a), 2);
    EXPECT_EQ(framesSeen(b), 1);
}

}  // namespace
