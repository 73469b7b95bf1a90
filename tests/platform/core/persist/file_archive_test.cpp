#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("xc_archive_") + std::to_string(getpid()) + "_" + name))
        .string();
}

} // namespace

TEST(FileArchive, StoresWhatAMemoryArchiveStoresAndLoadsItBack) {
    const std::string path = tempPath("roundtrip");
    xcPtrHandle<xcTest::Node> node(new xcTest::Node("file", 42));
    node->numbers = {1, 2, 3};
    std::string text = "text";
    {
        xcFileArchive st(path, xcFileArchive::eStoring);
        st || node || text;
        st.close();
        EXPECT_THROW(st || text, xcArchive::IOError); // closed
    }
    xcMemoryArchive mem;
    mem || node || text;
    std::ifstream in(path, std::ios::binary);
    const xcTest::Bytes onDisk((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, mem.bytes());

    xcPtrHandle<xcTest::Node> back;
    std::string text2;
    {
        xcFileArchive ld(path, xcFileArchive::eLoading);
        EXPECT_EQ(ld.bytesLeft(), onDisk.size());
        ld || back || text2;
        char more = 0;
        EXPECT_THROW(ld || more, xcArchive::EndOfArchive);
    }
    EXPECT_EQ(back->value, 42);
    EXPECT_EQ(back->numbers, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(text2, "text");
    std::remove(path.c_str());
}

TEST(FileArchive, OpeningFailuresNameThePath) {
    const std::string missing = tempPath("no/such/dir/file");
    const std::string msg = xcTest::thrown<xcArchive::IOError>(
        [&] { xcFileArchive ld(missing, xcFileArchive::eLoading); });
    EXPECT_EQ(msg.rfind("Cannot open archive file " + missing + " for reading: ", 0), 0u) << msg;
    EXPECT_EQ(xcArchive::IOError().errorNumber(), 0x10000014);
    EXPECT_THROW(xcFileArchive(missing, xcFileArchive::eStoring), xcArchive::IOError);
    // A directory is not a regular file: its size cannot bound the counts.
    EXPECT_THROW(
        xcFileArchive(std::filesystem::temp_directory_path().string(), xcFileArchive::eLoading),
        xcArchive::IOError);
}

TEST(FileArchive, OpeningAFifoDoesNotBlock) {
    // Loading refuses a FIFO without waiting for a writer; storing to one that has no reader
    // fails instead of waiting for one. Should an open block, the watchdog opens the other end
    // after two seconds, which frees it, and the test fails instead of hanging.
    const std::string path = tempPath("fifo");
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    for (const auto mode : {xcFileArchive::eLoading, xcFileArchive::eStoring}) {
        std::mutex mu;
        std::condition_variable cv;
        bool done = false, rescued = false;
        std::thread watchdog([&] {
            std::unique_lock<std::mutex> lock(mu);
            if (cv.wait_for(lock, std::chrono::seconds(2), [&] { return done; })) return;
            rescued = true;
            const int fd =
                open(path.c_str(), mode == xcFileArchive::eLoading ? O_WRONLY : O_RDONLY);
            if (fd >= 0) close(fd);
        });
        const std::string msg =
            xcTest::thrown<xcArchive::IOError>([&] { xcFileArchive ar(path, mode); });
        {
            std::lock_guard<std::mutex> lock(mu);
            done = true;
        }
        cv.notify_one();
        watchdog.join();
        EXPECT_FALSE(rescued) << mode;
        if (mode == xcFileArchive::eLoading)
            EXPECT_EQ(msg, "Archive file " + path + " is not a regular file");
        else
            EXPECT_EQ(msg.rfind("Cannot open archive file " + path + " for writing: ", 0), 0u)
                << msg;
    }
    std::filesystem::remove(path);
}
