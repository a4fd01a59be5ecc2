// Registry batches: one lock and one write per hive for many changes, all or nothing, safe against
// other processes and crashes; and hives that stay fast and ordered through many removals.
#include "platform/Faults.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <future>
#include <thread>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace platform;
using testing_support::readFile;

namespace {

class RegistryBatchTest : public ::testing::Test {
protected:
    testing_support::TempFolder folder{"batch"};
    Machine machine = *Machine::openAt(folder / "machine");
    Registry reg{machine};

    fs::path hive(RegRoot root) const {
        return machine.root() / "registry" / (std::string(rootName(root)) + ".reg");
    }
    std::set<std::string> registryFolder() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(machine.root() / "registry"))
            names.insert(e.path().filename().string());
        return names;
    }
    // Runs `body` in a child process with its own Registry on the same machine; its exit status.
    template <class F>
    pid_t spawn(F body) {
        pid_t child = ::fork();
        if (child == 0) {
            auto m = Machine::openAt(folder / "machine");
            if (!m) ::_exit(90);
            Registry own(*m);
            ::_exit(body(own));
        }
        return child;
    }
    static int wait(pid_t child) {
        int status = 0;
        if (::waitpid(child, &status, 0) != child) return -1;
        return status;
    }
};

const std::set<std::string> kHiveFiles{"HKEY_CLASSES_ROOT.reg", "HKEY_CURRENT_USER.reg", "HKEY_LOCAL_MACHINE.reg",
                                       "HKEY_USERS.reg"};

TEST_F(RegistryBatchTest, ChangesAreSeenAllAfterCommitAndNoneAfterDrop) {
    const std::string lmBefore = readFile(hive(RegRoot::LocalMachine));
    const std::string cuBefore = readFile(hive(RegRoot::CurrentUser));
    Registry other(machine);
    {
        auto batch = reg.beginBatch();
        ASSERT_TRUE(batch.ok()) << batch.error().text;
        ASSERT_TRUE(*reg.createKey(RegRoot::LocalMachine, "Software\\Acme\\Tool"));
        ASSERT_TRUE(reg.setDword(RegRoot::LocalMachine, "Software\\Acme\\Tool", "Count", 3).ok());
        ASSERT_TRUE(reg.setString(RegRoot::CurrentUser, "Software", "Name", "Ann").ok());
        ASSERT_TRUE(reg.deleteValue(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                                    "ProgramFilesDir").ok());
        // The batch's own reads see its changes; the hives and other readers do not yet.
        EXPECT_EQ(reg.queryValue(RegRoot::LocalMachine, "software\\acme\\tool", "count")->data,
                  (std::vector<uint8_t>{3, 0, 0, 0}));
        EXPECT_FALSE(*other.keyExists(RegRoot::LocalMachine, "Software\\Acme"));
        EXPECT_EQ(readFile(hive(RegRoot::LocalMachine)), lmBefore);
        EXPECT_EQ(readFile(hive(RegRoot::CurrentUser)), cuBefore);
        // A second writer in the same thread is refused instead of waiting for itself.
        EXPECT_EQ(other.setDword(RegRoot::CurrentUser, "Software", "x", 1).code(), err::SharingViolation);
        // A batch opened inside joins it: its commit leaves the decision to the outer one.
        auto inner = reg.beginBatch();
        ASSERT_TRUE(inner.ok());
        ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software", "Inner", 1).ok());
        ASSERT_TRUE(inner->commit().ok());
        EXPECT_EQ(readFile(hive(RegRoot::CurrentUser)), cuBefore);
        ASSERT_TRUE(batch->commit().ok());
    }
    EXPECT_EQ(other.queryValue(RegRoot::LocalMachine, "Software\\Acme\\Tool", "Count")->data,
              (std::vector<uint8_t>{3, 0, 0, 0}));
    EXPECT_TRUE(other.queryValue(RegRoot::CurrentUser, "Software", "Name").ok());
    EXPECT_TRUE(other.queryValue(RegRoot::CurrentUser, "Software", "Inner").ok());
    EXPECT_FALSE(other.queryValue(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                                  "ProgramFilesDir").ok());

    const std::string lmCommitted = readFile(hive(RegRoot::LocalMachine));
    const std::string cuCommitted = readFile(hive(RegRoot::CurrentUser));
    for (bool explicitDrop : {true, false}) {
        {
            auto batch = reg.beginBatch();
            ASSERT_TRUE(batch.ok());
            ASSERT_TRUE(reg.deleteKey(RegRoot::LocalMachine, "Software\\Acme\\Tool").ok());
            ASSERT_TRUE(reg.setString(RegRoot::CurrentUser, "Software", "Name", "Bob").ok());
            ASSERT_TRUE(reg.createKey(RegRoot::Users, "S-1-5").ok());
            if (explicitDrop) batch->drop();
        }  // else dropped as it goes out of scope uncommitted
        EXPECT_TRUE(*reg.keyExists(RegRoot::LocalMachine, "Software\\Acme\\Tool")) << explicitDrop;
        EXPECT_EQ(readFile(hive(RegRoot::LocalMachine)), lmCommitted);
        EXPECT_EQ(readFile(hive(RegRoot::CurrentUser)), cuCommitted);
        EXPECT_FALSE(*reg.keyExists(RegRoot::Users, "S-1-5"));
    }
    // Nothing but the hives is left in the registry folder: no lock files, no temporary files.
    EXPECT_EQ(registryFolder(), kHiveFiles);
    // Outside a batch, a call is a write of its own again.
    ASSERT_TRUE(other.setDword(RegRoot::CurrentUser, "Software", "x", 1).ok());
    EXPECT_TRUE(reg.queryValue(RegRoot::CurrentUser, "Software", "x").ok());
}

TEST_F(RegistryBatchTest, AFaultedChangeFailsAloneAndTheRestIsCommitted) {
    ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, "Software\\Locked").ok());
    ASSERT_TRUE(injectFault(machine, FaultKind::RegistryWrite, "HKCU\\Software\\Locked", err::AccessDenied).ok());
    auto batch = reg.beginBatch();
    ASSERT_TRUE(batch.ok());
    ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software", "Before", 1).ok());
    EXPECT_EQ(reg.setDword(RegRoot::CurrentUser, "Software\\Locked", "Refused", 1).code(), err::AccessDenied);
    EXPECT_FALSE(reg.queryValue(RegRoot::CurrentUser, "Software\\Locked", "Refused").ok());
    ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software", "After", 1).ok());
    ASSERT_TRUE(batch->commit().ok());
    Registry fresh(machine);
    EXPECT_TRUE(fresh.queryValue(RegRoot::CurrentUser, "Software", "Before").ok());
    EXPECT_TRUE(fresh.queryValue(RegRoot::CurrentUser, "Software", "After").ok());
    EXPECT_FALSE(fresh.queryValue(RegRoot::CurrentUser, "Software\\Locked", "Refused").ok());
}

TEST_F(RegistryBatchTest, TwoProcessesOneInBatchesLoseNoValue) {
    constexpr int kBatches = 6, kPerBatch = 40, kSingles = 120;
    ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, "Software\\Race").ok());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t batcher = spawn([&](Registry& own) {
        ::close(ready[0]);
        for (int b = 0; b < kBatches; ++b) {
            auto batch = own.beginBatch();
            if (!batch) return 1;
            // The other process starts once a batch holds the lock.
            if (b == 0 && ::write(ready[1], "x", 1) != 1) return 1;
            for (int i = 0; i < kPerBatch; ++i) {
                const int n = b * kPerBatch + i;
                if (!own.createKey(RegRoot::CurrentUser, "Software\\Race\\B" + std::to_string(n % 7)).ok()) return 1;
                if (!own.setDword(RegRoot::CurrentUser, "Software\\Race", "b" + std::to_string(n), n).ok()) return 1;
            }
            if (!batch->commit().ok()) return 1;
        }
        return 0;
    });
    pid_t single = spawn([&](Registry& own) {
        ::close(ready[1]);
        char c;
        if (::read(ready[0], &c, 1) != 1) return 1;
        for (int i = 0; i < kSingles; ++i)
            if (!own.setDword(RegRoot::CurrentUser, "Software\\Race", "s" + std::to_string(i), i).ok()) return 1;
        return 0;
    });
    ::close(ready[0]);
    ::close(ready[1]);
    for (pid_t child : {batcher, single}) {
        int status = wait(child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    auto values = reg.values(RegRoot::CurrentUser, "Software\\Race");
    ASSERT_TRUE(values.ok());
    std::set<std::string> names;
    for (const auto& v : *values) names.insert(v.name);
    EXPECT_EQ(names.size(), size_t(kBatches * kPerBatch + kSingles));
    for (int n = 0; n < kBatches * kPerBatch; ++n) EXPECT_TRUE(names.count("b" + std::to_string(n))) << n;
    for (int i = 0; i < kSingles; ++i) EXPECT_TRUE(names.count("s" + std::to_string(i))) << i;
    EXPECT_EQ(reg.subkeys(RegRoot::CurrentUser, "Software\\Race")->size(), 7u);
    EXPECT_EQ(registryFolder(), kHiveFiles);
}

TEST_F(RegistryBatchTest, ACrashBeforeTheRenameLeavesTheLastCommittedHiveWhole) {
    pid_t child = spawn([&](Registry& own) {
        auto first = own.beginBatch();
        if (!first || !own.setDword(RegRoot::LocalMachine, "Software", "Committed", 1).ok() || !first->commit())
            return 1;
        if (!injectFault(own.machine(), FaultKind::RegistryCrash, "HKEY_LOCAL_MACHINE", err::AccessDenied, 1))
            return 1;
        auto second = own.beginBatch();
        if (!second) return 1;
        for (int i = 0; i < 200; ++i)
            if (!own.setString(RegRoot::LocalMachine, "Software", "Lost" + std::to_string(i), "x").ok()) return 1;
        (void)second->commit();
        return 2;  // not reached: the process dies before the rename
    });
    int status = wait(child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    const std::string text = readFile(hive(RegRoot::LocalMachine));
    EXPECT_NE(text.find("\"Committed\"=dword:00000001\n"), std::string::npos);
    EXPECT_EQ(text.find("Lost"), std::string::npos);
    EXPECT_TRUE(reg.queryValue(RegRoot::LocalMachine, "Software", "Committed").ok());
    EXPECT_TRUE(reg.keyExists(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs").ok());
    EXPECT_NE(registryFolder(), kHiveFiles);  // the dead writer's temporary hive
    // The dead process's lock went with it: the next writer goes on, and clears its leftover.
    ASSERT_TRUE(reg.setDword(RegRoot::LocalMachine, "Software", "Next", 2).ok());
    EXPECT_TRUE(reg.queryValue(RegRoot::LocalMachine, "Software", "Committed").ok());
    EXPECT_EQ(registryFolder(), kHiveFiles);
}

TEST_F(RegistryBatchTest, AFailedCommitTellsWhichHivesItReached) {
    const std::string lmBefore = readFile(hive(RegRoot::LocalMachine));
    ASSERT_TRUE(injectFault(machine, FaultKind::RegistryWrite, "HKLM", err::DiskFull, 1).ok());
    auto batch = reg.beginBatch();
    ASSERT_TRUE(batch.ok());
    ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software", "Kept", 1).ok());   // written before HKLM
    ASSERT_TRUE(reg.setDword(RegRoot::LocalMachine, "Software", "Lost", 1).ok());  // the faulted write
    ASSERT_TRUE(reg.setDword(RegRoot::Users, ".DEFAULT", "NotReached", 1).ok());   // after it
    EXPECT_EQ(batch->commit().code(), err::DiskFull);
    EXPECT_TRUE(batch->reached(RegRoot::ClassesRoot));  // unchanged
    EXPECT_TRUE(batch->reached(RegRoot::CurrentUser));
    EXPECT_FALSE(batch->reached(RegRoot::LocalMachine));
    EXPECT_FALSE(batch->reached(RegRoot::Users));
    EXPECT_EQ(readFile(hive(RegRoot::LocalMachine)), lmBefore);
    Registry fresh(machine);
    EXPECT_TRUE(fresh.queryValue(RegRoot::CurrentUser, "Software", "Kept").ok());
    EXPECT_FALSE(fresh.queryValue(RegRoot::Users, ".DEFAULT", "NotReached").ok());
    // The batch ended with its commit: its lock is free and its changes are gone.
    EXPECT_FALSE(reg.queryValue(RegRoot::LocalMachine, "Software", "Lost").ok());
    EXPECT_TRUE(fresh.setDword(RegRoot::LocalMachine, "Software", "Later", 1).ok());
    EXPECT_EQ(registryFolder(), kHiveFiles);
}

TEST_F(RegistryBatchTest, AChildForkedWhileAThreadHoldsABatchWaitsForItsCommit) {
    std::promise<void> opened, release;
    std::thread holder([&] {
        Registry own(machine);
        auto batch = own.beginBatch();
        ASSERT_TRUE(batch.ok());
        ASSERT_TRUE(own.setDword(RegRoot::CurrentUser, "Software", "FromThread", 1).ok());
        opened.set_value();
        release.get_future().wait();
        ASSERT_TRUE(batch->commit().ok());
    });
    opened.get_future().wait();
    pid_t child = spawn([](Registry& own) {
        ::alarm(60);  // a child that waited for itself would never end
        return own.setDword(RegRoot::CurrentUser, "Software", "FromChild", 2).ok() ? 0 : 1;
    });
    release.set_value();
    holder.join();
    const int status = wait(child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(reg.queryValue(RegRoot::CurrentUser, "Software", "FromThread").ok());
    EXPECT_TRUE(reg.queryValue(RegRoot::CurrentUser, "Software", "FromChild").ok());
}

TEST_F(RegistryBatchTest, ManyRemovalsKeepTheOrderOfWhatIsLeft) {
    auto batch = reg.beginBatch();
    ASSERT_TRUE(batch.ok());
    const std::string key = "Software\\Many";
    ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, key).ok());
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, key + "\\K" + std::to_string(i)).ok());
        ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, key, "V" + std::to_string(i), i).ok());
    }
    // Remove all but every tenth, then add again some that went and some new ones.
    for (int i = 0; i < 300; ++i) {
        if (i % 10 == 0) continue;
        ASSERT_TRUE(reg.deleteKey(RegRoot::CurrentUser, key + "\\k" + std::to_string(i)).ok());
        ASSERT_TRUE(reg.deleteValue(RegRoot::CurrentUser, key, "v" + std::to_string(i)).ok());
    }
    for (int i : {5, 300}) {
        ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, key + "\\K" + std::to_string(i)).ok());
        ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, key, "V" + std::to_string(i), i).ok());
    }
    ASSERT_TRUE(batch->commit().ok());

    std::vector<std::string> expectedKeys, expectedValues;
    for (int i = 0; i < 300; i += 10) {
        expectedKeys.push_back("K" + std::to_string(i));
        expectedValues.push_back("V" + std::to_string(i));
    }
    for (int i : {5, 300}) {
        expectedKeys.push_back("K" + std::to_string(i));
        expectedValues.push_back("V" + std::to_string(i));
    }
    Registry fresh(machine);  // read back from the file
    EXPECT_EQ(*fresh.subkeys(RegRoot::CurrentUser, key), expectedKeys);
    std::vector<std::string> names;
    auto values = fresh.values(RegRoot::CurrentUser, key);
    ASSERT_TRUE(values.ok());
    for (const auto& v : *values) names.push_back(v.name);
    EXPECT_EQ(names, expectedValues);
    EXPECT_EQ(fresh.queryValue(RegRoot::CurrentUser, key, "v290")->data, (std::vector<uint8_t>{34, 1, 0, 0}));
    // A parent goes once its last subkey went, and not before.
    EXPECT_EQ(fresh.deleteKey(RegRoot::CurrentUser, key).code(), err::KeyHasChildren);
    for (const auto& k : expectedKeys) ASSERT_TRUE(fresh.deleteKey(RegRoot::CurrentUser, key + "\\" + k).ok());
    EXPECT_TRUE(fresh.subkeys(RegRoot::CurrentUser, key)->empty());
    EXPECT_TRUE(fresh.deleteKey(RegRoot::CurrentUser, key).ok());
}

TEST_F(RegistryBatchTest, AnUnknownRootIsRefusedInAndOutOfABatch) {
    const auto unknown = static_cast<RegRoot>(0);
    for (bool inBatch : {false, true}) {
        std::optional<Result<RegistryBatch>> batch;
        if (inBatch) batch.emplace(reg.beginBatch());
        EXPECT_EQ(reg.setDword(unknown, "Software", "x", 1).code(), err::InvalidParameter) << inBatch;
        EXPECT_EQ(reg.keyExists(unknown, "Software").code(), err::InvalidParameter) << inBatch;
        EXPECT_EQ(reg.deleteValue(static_cast<RegRoot>(255), "Software", "x").code(), err::InvalidParameter);
    }
    EXPECT_EQ(registryFolder(), kHiveFiles);
}

}  // namespace
