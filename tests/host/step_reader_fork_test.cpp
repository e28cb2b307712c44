// The STEP reader a program forks from itself at its start (as hostcam does when it opens a part) answers
// as a started reader does and keeps its guards: its memory limited at its first request, a file that asks
// another limit read by a reader started afresh, and gone with the program, even while it works. Its
// allocation starts zeroed whichever allocator serves it, and takes back the blocks the program made before.
#include <gtest/gtest.h>

#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/step_worker/step_read.h"

namespace {

const std::string kExample = std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step";
const std::string kLargeExample = std::string(FX_SOURCE_DIR) + "/data/examples/mixed_tolerance_plate.step";

struct CHILD {
    pid_t pid;
    std::string program;   // its executable's file name
};

// The processes this one started that still run.
std::vector<CHILD> children() {
    std::vector<CHILD> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        char state = 0;
        pid_t parent = 0;
        if (!(fields >> state >> parent) || parent != getpid() || state == 'Z') continue;
        std::error_code ec;
        found.push_back({std::stoi(name), std::filesystem::read_symlink(entry.path() / "exe", ec).filename().string()});
    }
    return found;
}

// The address space limit of a process, in MB; -1 when it has none or cannot be read.
long memoryLimitMb(pid_t pid) {
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    for (std::string line; std::getline(limits, line);) {
        if (line.rfind("Max address space", 0) != 0) continue;
        std::istringstream fields(line.substr(17));
        std::string soft;
        fields >> soft;
        return soft == "unlimited" ? -1 : static_cast<long>(std::stoull(soft) >> 20);
    }
    return -1;
}

struct FORKED {
    int status = -1;    // as waitpid gives it
    std::string said;   // what it reported
};

// `report` run in a fork of this test (one thread, as hostcam at its start), what it returns sent back; then
// `then`, if any, before the fork exits.
FORKED inAFork(const std::function<std::string()>& report, const std::function<void()>& then = {}) {
    FORKED forked;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return forked;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const std::string said = report();
        if (write(pipeEnds[1], said.data(), said.size()) != static_cast<ssize_t>(said.size())) _exit(2);
        close(pipeEnds[1]);
        if (then) then();
        _exit(0);
    }
    close(pipeEnds[1]);
    char chunk[256];
    for (ssize_t n; child > 0 && (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
        forked.said.append(chunk, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    if (child > 0 && waitpid(child, &forked.status, 0) != child) forked.status = -1;
    return forked;
}

// Whether the process has the thread-caching allocator loaded.
bool cachesAllocations(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("libtcmalloc") != std::string::npos) return true;
    return false;
}

// What the program (a fork of this test, one thread as hostcam at its start) finds wrong, a line each;
// `stalled` the reader it leaves working when it ends.
std::string playTheProgram(pid_t& stalled) {
    std::string wrong;
    auto expect = [&wrong](bool holds, const std::string& what) {
        if (!holds) wrong += what + '\n';
    };
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").filename().string();
    expect(host::worker::forkSpareReader(), "no reader was forked");
    std::vector<CHILD> readers = children();
    expect(readers.size() == 1 && readers[0].program == self, "the forked reader is not the one child");
    expect(!readers.empty() && memoryLimitMb(readers[0].pid) == -1, "the forked reader is limited before it is asked");

    host::StepImport read = host::importStep(kExample, {.memoryLimitMb = 5000});
    expect(read.ok() && read.solids.size() == 1 && read.solids[0].solid.faces().size() > 10, "the part did not open");
    expect(children().size() == 1 && children()[0].pid == readers[0].pid, "another reader answered");
    expect(memoryLimitMb(readers[0].pid) == 5000, "the forked reader's memory is not limited as asked");
    // A small file is read with the C library's allocation, a large one with the thread-caching allocator.
    expect(!cachesAllocations(readers[0].pid), "a small file loaded the thread-caching allocator");
    read = host::importStep(kLargeExample, {.memoryLimitMb = 5000});
    expect(read.ok() && read.solids.size() == 1, "the large part did not open");
    expect(children().size() == 1 && cachesAllocations(readers[0].pid),
           "the large file was not read with the thread-caching allocator");

    // Another limit: the file goes to a reader started afresh, the forked one let go.
    read = host::importStep(kExample, {.memoryLimitMb = 4000});
    expect(read.ok() && read.solids.size() == 1, "the part did not open in a started reader");
    readers = children();
    expect(readers.size() == 1 && readers[0].program == "fxstepread" && memoryLimitMb(readers[0].pid) == 4000,
           "no started reader of the limit asked answered");

    // A reader forked again replaces the started one; set to work without end, it is left working.
    expect(host::worker::forkSpareReader(), "no reader was forked again");
    readers = children();
    expect(readers.size() == 1 && readers[0].program == self, "the started reader was not let go");
    stalled = readers.empty() ? 0 : readers[0].pid;
    return wrong;
}

TEST(StepReaderFork, AReaderForkedFromTheProgramAnswersWithTheGuardsOfAStartedOne) {
    if (!host::worker::canZeroAllocations()) GTEST_SKIP() << "under the sanitizer's allocator no reader is forked";
    // The program's readers come to this test when the program ends, so that it sees how they end.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const FORKED program = inAFork(
        [] {
            pid_t stalled = 0;
            const std::string wrong = playTheProgram(stalled);
            return std::to_string(stalled) + '\n' + wrong;
        },
        [] {
            host::ReaderRequest stall;
            stall.flags = host::kReaderStall;
            stall.payload = "stall";
            (void)host::askReader(stall, 5000, false, false, 600, 1 << 20, [] { _exit(0); });
            _exit(3);   // the reader answered a request that never ends
        });
    EXPECT_TRUE(WIFEXITED(program.status) && WEXITSTATUS(program.status) == 0) << program.status;
    const std::string& said = program.said;
    int status = 0;
    const pid_t stalled = static_cast<pid_t>(std::stol(said.substr(0, said.find('\n'))));
    EXPECT_EQ(said.substr(said.find('\n') + 1), "");
    // The reader working on the request ends with the program that forked it, killed.
    ASSERT_GT(stalled, 0);
    ASSERT_EQ(waitpid(stalled, &status, 0), stalled);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 0), 0);
}

// What a reader's allocation (in a fork of this test, switched on there, with the thread-caching allocator or
// the C library's) gets wrong, a line each.
std::string allocateAsAReader(bool threadCaching) {
    std::string wrong;
    auto zeroed = [](const void* block, std::size_t from, std::size_t to) {
        const auto* bytes = static_cast<const unsigned char*>(block);
        return std::all_of(bytes + from, bytes + to, [](unsigned char b) { return b == 0; });
    };
    // The program's own block, made before the switch and filled to its usable end.
    auto* before = static_cast<unsigned char*>(std::malloc(100));
    const std::size_t held = malloc_usable_size(before);
    std::memset(before, 0xAB, held);
    // More of them, over many pages, given back once the reader's allocator has freed blocks of its own on
    // pages it remembers.
    std::vector<void*> programs;
    for (std::size_t i = 0; i < 2000; ++i) programs.push_back(std::malloc(16 + i % 7 * 300));

    host::worker::zeroAllocations();
    if (threadCaching && !host::worker::cacheAllocations()) wrong += "the thread-caching allocator does not serve\n";
    // Each way of allocating, at sizes from a word to pages: a block freed full of bytes comes back clear.
    const struct {
        const char* how;
        void* (*take)(std::size_t);
        void (*give)(void*);
    } ways[] = {
        {"malloc", std::malloc, std::free},
        {"calloc", [](std::size_t n) { return std::calloc(n, 1); }, std::free},
        {"aligned", [](std::size_t n) { return std::aligned_alloc(256, (n + 255) / 256 * 256); }, std::free},
    };
    for (const auto& way : ways)
        for (const std::size_t size : {std::size_t{1}, std::size_t{24}, std::size_t{1000}, std::size_t{262145}}) {
            void* filled = way.take(size);
            std::memset(filled, 0x5A, size);
            asm volatile("" : : "g"(filled) : "memory");   // the compiler keeps the block and what it holds
            way.give(filled);
            void* block = way.take(size);
            if (!block || !zeroed(block, 0, size)) wrong += std::string(way.how) + " " + std::to_string(size) + '\n';
            way.give(block);
        }
    // A block resized keeps what it held up to its new size, and the room it grows by is clear: grown from
    // nothing, in place and moved, and grown again into room it held data in before it shrank (in place, or
    // where the C library's block ended, into the room it gave back).
    const std::vector<std::size_t> resizings[] = {{0, 8, 12, 5000}, {100, 60, 100}, {5000, 64, 5000}};
    for (const std::vector<std::size_t>& sizes : resizings) {
        auto* block = static_cast<unsigned char*>(std::malloc(sizes[0]));
        std::memset(block, 0x11, sizes[0]);
        for (std::size_t i = 1; i < sizes.size(); ++i) {
            block = static_cast<unsigned char*>(std::realloc(block, sizes[i]));
            const std::size_t held = std::min(sizes[i - 1], sizes[i]);
            const auto fill = static_cast<unsigned char>(0x10 + i);
            if (!block || std::count(block, block + held, fill) != static_cast<long>(held) ||
                !zeroed(block, held, sizes[i]))
                wrong += "resized from " + std::to_string(sizes[i - 1]) + " to " + std::to_string(sizes[i]) + '\n';
            std::memset(block, fill + 1, sizes[i]);
        }
        std::free(block);
    }
    // Blocks of the reader's own over thousands of pages, given back so that it has seen them as its own.
    std::vector<void*> own;
    for (int i = 0; i < 8192; ++i) own.push_back(std::malloc(4000));
    for (void* block : own) std::free(block);
    // The program's block goes back where it came from, what it holds kept.
    before = static_cast<unsigned char*>(std::realloc(before, 4000));
    if (!before || before[held - 1] != 0xAB || !zeroed(before, held, 4000)) wrong += "the program's block\n";
    std::free(before);
    for (void* block : programs) std::free(block);
    return wrong;
}

TEST(StepReaderFork, TheReadersAllocationStartsZeroedAndTakesBackTheProgramsBlocks) {
    if (!host::worker::canZeroAllocations()) GTEST_SKIP() << "under the sanitizer's allocator no reader is forked";
    for (const bool threadCaching : {true, false}) {
        const FORKED reader = inAFork([threadCaching] { return allocateAsAReader(threadCaching); });
        EXPECT_TRUE(WIFEXITED(reader.status) && WEXITSTATUS(reader.status) == 0) << reader.status;
        EXPECT_EQ(reader.said, "") << (threadCaching ? "thread-caching" : "the C library's");
    }
}

}  // namespace
