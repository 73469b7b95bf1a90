#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
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
