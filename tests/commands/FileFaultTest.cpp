// File-system faults around command files: files that cannot be read or vanish, an
// input directory that turns read-only, a full disk while marking, a file that can be
// neither deleted nor marked. Whatever happens, a clear notice, no file truncated, no
// job printed twice, the number advanced once rows were written, the polling going on.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "tests/support/PartnerHarness.h"
#include "tests/support/PosixSteps.h"

namespace fm::test {
namespace {

namespace fs = std::filesystem;

const std::string kSale = "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,_,______,__;\r\n";

// A small tmpfs over a directory for the test's lifetime; unavailable (with the reason)
// where mounting is not permitted.
class SmallFileSystem {
  public:
    explicit SmallFileSystem(std::string dir) : dir_(std::move(dir)) {
        std::string output;
        mounted_ = runCommand("mount -t tmpfs -o size=64k tmpfs " + shellQuoted(dir_), &output) == 0;
        if (!mounted_) why_ = "mounting a tmpfs is not permitted here: " + output;
    }
    ~SmallFileSystem() {
        std::string output;
        if (mounted_) runCommand("umount " + shellQuoted(dir_), &output);
    }
    const std::optional<std::string>& unavailable() const {
        static const std::optional<std::string> none;
        return mounted_ ? none : why_;
    }
    void readOnly(bool on) {
        std::string output;
        ASSERT_EQ(
            runCommand(std::string("mount -o remount,") + (on ? "ro " : "rw ") + shellQuoted(dir_), &output),
            0)
            << output;
    }
    // Fills the free space up to the last byte.
    void fill() {
        std::string output;
        runCommand("dd if=/dev/zero of=" + shellQuoted(dir_ + "/filler") + " bs=1k", &output);
        runCommand("dd if=/dev/zero of=" + shellQuoted(dir_ + "/filler2") + " bs=1", &output);
    }
    void unfill() {
        fs::remove(dir_ + "/filler");
        fs::remove(dir_ + "/filler2");
    }

  private:
    std::string dir_;
    bool mounted_ = false;
    std::optional<std::string> why_;
};

int jobsPrinted(const PartnerHarness& h) {
    int n = 0;
    const std::string journal = h.journal();
    for (std::size_t at = journal.find("==== posao"); at != std::string::npos;
         at = journal.find("==== posao", at + 1))
        ++n;
    return n;
}

// While a job waits for the PARTNER its file is moved aside and something else put at its
// entry: a FIFO, a link to another command file, another command file. Nothing is hung
// on, marked or deleted; one notice each; the other file is a job of its own later.
TEST(FileFaults, AFileSwappedDuringTheWaitIsNeitherHungOnNorMarkedNorTakenUpAgain) {
    if (!kPosix) GTEST_SKIP() << kPosixOnly;
    const std::string report = "Z,P1,_,______,__;\r\n\r\n";
    const std::string other = "X,P1,_,______,__;\r\n\r\n";
    const std::vector<std::pair<std::string, std::function<void(const PartnerHarness&, const std::string&)>>>
        swaps = {
            {"fifo.inp", [](const auto&, const std::string& path) { makeFifo(path); }},
            {"link.inp", [](const auto& h,
                            const std::string& path) { fs::create_symlink(h.root.file("other.inp"), path); }},
            {"file.inp", [&](const auto& h, const std::string&) { h.drop("file.inp", other); }},
        };
    for (const bool deleting : {false, true}) {
        SCOPED_TRACE(deleting ? "deleting" : "marking");
        PartnerHarness h({"--never-finish"});
        h.ui.realPauses = false;
        h.state.postavke.TARVOOBRISI_FAJL = deleting;
        h.root.write("other.inp", other);
        const std::string refused = deleting ? ": fajl je u medjuvremenu izmijenjen ili zamijenjen drugim"
                                             : "\r\nfajl je u medjuvremenu izmijenjen ili zamijenjen drugim";
        int number = 100;
        for (const auto& [name, swapIn] : swaps) {
            SCOPED_TRACE(name);
            h.drop(name, report);
            h.ui.onPause = [&, name = name, swapIn = swapIn](int) {
                if (fs::exists(h.root.file(name))) return;
                fs::rename(h.inputFile(name), h.root.file(name));
                swapIn(h, h.inputFile(name));
            };
            h.ui.notices.clear();

            EXPECT_FALSE(h.process(name));

            ASSERT_EQ(h.ui.notices.size(), 1u);
            EXPECT_EQ(h.ui.notices[0].text,
                      std::string(deleting ? "Ne moze se obrisati fajl " : "Ne moze se oznaciti fajl ") +
                          h.inputFile(name) + refused);
            EXPECT_EQ(h.root.read(name), report);  // the job's own file, moved aside
            EXPECT_EQ(h.root.read("other.inp"), other);
            EXPECT_EQ(h.rbrr(), "RBRR=" + std::to_string(++number));
        }
        EXPECT_TRUE(fs::is_fifo(h.inputFile("fifo.inp")));
        EXPECT_TRUE(fs::is_symlink(h.inputFile("link.inp")));
        EXPECT_EQ(h.read("file.inp"), other);

        // Whatever stands at a job's name now is set aside, never taken up under a new number.
        h.ui.onPause = nullptr;
        h.ui.notices.clear();
        h.scan();
        h.scan();
        EXPECT_EQ(h.rbrr(), "RBRR=103");
        EXPECT_EQ(h.ui.notices.size(), 3u);
        EXPECT_EQ(h.ui.noticesStartingWith(
                      "Fajl " + h.inputFile("file.inp") +
                      " posla broj 102 (status No) je izmijenjen nakon preuzimanja; premjesten "
                      "je u " +
                      h.inputFile("file.inp.izmijenjen") + " i ne uzima se ponovo u obradu."),
                  1);
        EXPECT_TRUE(fs::is_fifo(h.inputFile("fifo.inp.izmijenjen")));
        EXPECT_TRUE(fs::is_symlink(h.inputFile("link.inp.izmijenjen")));
        EXPECT_EQ(h.read("file.inp.izmijenjen"), other);
    }
}

class MarkingFault : public testing::Test {
  protected:
    void SetUp() override {
        if (disk.unavailable()) GTEST_SKIP() << *disk.unavailable();
    }
    // The job is printed, its file cannot be marked: shown, never truncated, numbered,
    // remembered so that no later scan prints it again; marked once it can be.
    void expectPrintedOnceAndMarkedWhenPossible(const std::string& name, const std::string& bytes,
                                                const std::function<void()>& repair) {
        EXPECT_EQ(jobsPrinted(h), 1);
        EXPECT_EQ(h.read(name), bytes);
        EXPECT_EQ(h.rbrr(), "RBRR=101");
        const std::size_t notices = h.ui.notices.size();
        EXPECT_GE(notices, 1u);
        EXPECT_TRUE(h.dm->timer1Enabled());

        h.scan();
        h.scan();
        EXPECT_EQ(jobsPrinted(h), 1);
        EXPECT_EQ(h.read(name), bytes);
        EXPECT_EQ(h.ui.notices.size(), notices);
        EXPECT_EQ(h.rbrr(), "RBRR=101");
        EXPECT_NE(h.root.read("MerilonPosao.ini").find("NEOZNACEN=0;"), std::string::npos);

        repair();
        h.scan();
        EXPECT_EQ(jobsPrinted(h), 1);
        EXPECT_FALSE(fs::exists(h.root.file("MerilonPosao.ini")));
    }

    PartnerHarness h;
    SmallFileSystem disk{h.inputDir};
};

TEST_F(MarkingFault, AReadOnlyInputDirectory) {
    h.drop("r.inp", kSale);
    disk.readOnly(true);

    h.scan();

    EXPECT_EQ(h.ui.noticesStartingWith("Ne moze se oznaciti fajl " + h.inputFile("r.inp")), 1);
    expectPrintedOnceAndMarkedWhenPossible("r.inp", kSale, [&] { disk.readOnly(false); });
    EXPECT_EQ(h.status("r.inp"), "OK");
}

TEST_F(MarkingFault, AFullDisk) {
    h.drop("r.inp", kSale);
    disk.fill();

    h.scan();

    EXPECT_EQ(h.ui.noticesStartingWith("Ne moze se oznaciti fajl " + h.inputFile("r.inp")), 1);
    expectPrintedOnceAndMarkedWhenPossible("r.inp", kSale, [&] { disk.unfill(); });
    EXPECT_EQ(h.status("r.inp"), "OK");
}

TEST_F(MarkingFault, AFileThatCanBeNeitherDeletedNorMarked) {
    h.state.postavke.TARVOOBRISI_FAJL = true;
    h.drop("r.inp", kSale);
    disk.readOnly(true);

    h.scan();

    EXPECT_EQ(h.ui.noticesStartingWith("Ne moze se obrisati fajl " + h.inputFile("r.inp")), 1);
    EXPECT_EQ(h.ui.noticesStartingWith("Ne moze se oznaciti fajl " + h.inputFile("r.inp")), 1);
    expectPrintedOnceAndMarkedWhenPossible("r.inp", kSale, [&] { disk.readOnly(false); });
    EXPECT_FALSE(h.exists("r.inp"));
}

}  // namespace
}  // namespace fm::test
