#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "xml/NamedElementList.h"

namespace {

struct Member : CqvListMember {
    explicit Member(std::string name = {}, int* destroyed = nullptr) : m_destroyed(destroyed) {
        m_strName = std::move(name);
    }
    ~Member() override {
        if (m_destroyed) ++*m_destroyed;
    }
    int* m_destroyed;
};

std::string NameAfter(int offset) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "n%.5d", GeneratedNameCounter() + offset);
    return buffer;
}

TEST(NamedElementList, UnnamedMembersGetConsecutiveGeneratedNames) {
    NamedElementList<Member> list;
    const std::string first = NameAfter(1), second = NameAfter(2);
    EXPECT_EQ(list.Add(std::make_unique<Member>())->Name(), first);
    EXPECT_EQ(list.Add(std::make_unique<Member>())->Name(), second);

    // The counter is process-wide: another list goes on counting.
    NamedElementList<Member> other;
    const std::string third = NameAfter(1);
    EXPECT_EQ(other.Add(std::make_unique<Member>())->Name(), third);
    EXPECT_EQ(other.Size(), 1u);
}

TEST(NamedElementList, ExplicitNameLikeAGeneratedOneClashesOnlyWhenGenerated) {
    NamedElementList<Member> list;
    list.Add(std::make_unique<Member>());
    list.Add(std::make_unique<Member>());
    const std::string third = NameAfter(1);
    list.Add(std::make_unique<Member>(third));
    try {
        list.Add(std::make_unique<Member>());
        FAIL() << "generated name did not clash";
    } catch (const CqvEx& e) {
        EXPECT_EQ(e.Message(), "Element '" + third + "' already exists");
    }
    EXPECT_EQ(list.Size(), 3u);
}

TEST(NamedElementList, DuplicateNameIsRefusedAndTheListUnchanged) {
    int destroyed = 0;
    NamedElementList<Member> list;
    Member* heading = list.Add(std::make_unique<Member>("heading", &destroyed));
    try {
        list.Add(std::make_unique<Member>("heading", &destroyed));
        FAIL() << "duplicate accepted";
    } catch (const CqvEx& e) {
        EXPECT_EQ(e.Message(), "Element 'heading' already exists");
    }
    EXPECT_EQ(destroyed, 1) << "the refused member is released";
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_EQ(list.Find("heading"), heading);
    EXPECT_EQ(list.Find("Heading"), nullptr) << "names compare case-sensitively";

    NamedElementList<Member> otherBlock;
    EXPECT_NO_THROW(otherBlock.Add(std::make_unique<Member>("heading")));
}

TEST(NamedElementList, ClearDeletesEveryMemberAndThePlacementRecord) {
    int destroyed = 0;
    NamedElementList<Member> list;
    Member* a = list.Add(std::make_unique<Member>("a", &destroyed));
    list.Add(std::make_unique<Member>("b", &destroyed));
    list.Placement().Register(a, 0, 10, 5);
    list.Clear();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(list.Placement().Size(), 0u);
}

TEST(PlacementEntry, OverlapIncludesBothEnds) {
    const PlacementEntry e{10, 20, 0};
    EXPECT_TRUE(e.Overlaps(20, 30));
    EXPECT_TRUE(e.Overlaps(0, 10));
    EXPECT_TRUE(e.Overlaps(12, 15));
    EXPECT_FALSE(e.Overlaps(21, 30));
    EXPECT_FALSE(e.Overlaps(0, 9));
}

class PlacementRecordTest : public ::testing::Test {
protected:
    Member self{"self"}, left{"left"}, right{"right"}, done{"done"};
    PlacementRecord record;
};

TEST_F(PlacementRecordTest, QueriesLookOnlyAtOtherMembersByTheirProgress) {
    done.SetProgress(kProgressFinished);
    left.SetProgress(5);
    record.Register(&done, 0, 100, 300);
    record.Register(&left, 0, 50, 200);
    record.Register(&self, 0, 100, 900);

    EXPECT_EQ(record.LargestFinishedBottom(&self, 40, 60), 300);
    EXPECT_EQ(record.LargestFinishedBottom(&self, 101, 200), 0) << "nothing overlaps";
    EXPECT_EQ(record.LargestFinishedBottom(&done, 0, 100), 0) << "the asking member's own entry never counts";
    EXPECT_TRUE(record.OverlapsUnfinished(&self, 50, 60));
    EXPECT_FALSE(record.OverlapsUnfinished(&self, 51, 60));
    EXPECT_TRUE(record.OverlapsUnfinished(&left, 0, 50)) << "self is still unfinished";
    self.SetProgress(kProgressFinished);
    EXPECT_FALSE(record.OverlapsUnfinished(&left, 0, 50)) << "left's own entry never counts";
}

TEST_F(PlacementRecordTest, NegativeBottomsNeverWinOverZero) {
    done.SetProgress(kProgressFinished);
    record.Register(&done, 0, 10, -40);
    EXPECT_EQ(record.LargestFinishedBottom(&self, 0, 10), 0);
}

TEST_F(PlacementRecordTest, RegisterUnfinishedClearsOverlapsOnlyWhenTheRegisteredMemberIsFinished) {
    left.SetProgress(3);
    record.Register(&left, 0, 50, 200);
    record.Register(&right, 60, 100, 200);

    record.RegisterUnfinished(&self, 40, 55);
    EXPECT_EQ(record.Size(), 3u) << "an unfinished member removes nothing";
    EXPECT_EQ(*record.Find(&self), (PlacementEntry{40, 55, 0}));

    self.SetProgress(kProgressFinished);
    record.RegisterUnfinished(&self, 40, 55);
    EXPECT_EQ(record.Find(&left), nullptr) << "overlapping entry removed whatever its progress";
    ASSERT_NE(record.Find(&right), nullptr);
    EXPECT_EQ(*record.Find(&self), (PlacementEntry{40, 55, 0}));
}

TEST_F(PlacementRecordTest, ContinueOnNewPageDropsFinishedAndZeroesTheRest) {
    done.SetProgress(kProgressFinished);
    left.SetProgress(7);
    record.Register(&done, 0, 10, 100);
    record.Register(&left, 20, 30, 150);
    record.ContinueOnNewPage();
    EXPECT_EQ(record.Find(&done), nullptr);
    ASSERT_NE(record.Find(&left), nullptr);
    EXPECT_EQ(*record.Find(&left), (PlacementEntry{20, 30, 0}));
}

// The record answers from an index of spans; every answer must be the one a
// look at each entry gives. Spans of every width class, inverted and extreme
// spans included, against queries of every kind.
TEST(PlacementRecordIndex, AnswersAsALookAtEveryEntryWould) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    std::vector<std::unique_ptr<Member>> members;
    for (int i = 0; i < 60; ++i) members.push_back(std::make_unique<Member>());
    std::mt19937 random(20261209);
    const auto pick = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random);
    };
    const auto span = [&]() -> std::pair<int32_t, int32_t> {
        switch (pick(0, 5)) {
        case 0: return {kMin, kMax};
        case 1: {
            const int32_t l = pick(-50, 50);
            return {l, l};
        }
        case 2: {
            const int32_t l = pick(-50, 50);
            return {l, l - pick(1, 30)};
        }  // inverted
        case 3: {
            const int32_t l = pick(-5000, 5000);
            return {l, l + pick(1, 5000)};
        }
        default: {
            const int32_t l = pick(-200, 200);
            return {l, l + pick(1, 40)};
        }
        }
    };
    PlacementRecord record;
    std::map<const CqvListMember*, PlacementEntry> reference;
    for (int step = 0; step < 4000; ++step) {
        Member& member = *members[static_cast<size_t>(pick(0, 59))];
        member.SetProgress(pick(0, 2) == 0 ? 4 : kProgressFinished);
        const auto [l, r] = span();
        switch (pick(0, 9)) {
        case 0:
            if (member.Progress() == kProgressFinished)
                // Copies, not the bindings: clang before 16 cannot capture a structured binding.
                std::erase_if(reference, [&member, left = l, right = r](const auto& entry) {
                    return entry.first != &member && entry.second.Overlaps(left, right);
                });
            reference[&member] = PlacementEntry{l, r, 0};
            record.RegisterUnfinished(&member, l, r);
            break;
        case 1:
            if (pick(0, 20) == 0) {
                std::erase_if(reference,
                              [](const auto& entry) { return entry.first->Progress() == kProgressFinished; });
                for (auto& entry : reference) entry.second.bottom = 0;
                record.ContinueOnNewPage();
            }
            break;
        case 2: {
            // A trial's snapshot and restore keep the index in step.
            const PlacementRecord::Entries saved = record.AllEntries();
            record.Register(&member, l, r, 1);
            record.Restore(saved);
            break;
        }
        default: {
            const int32_t bottom = pick(-100, 10000);
            reference[&member] = PlacementEntry{l, r, bottom};
            record.Register(&member, l, r, bottom);
        }
        }
        const auto [ql, qr] = span();
        bool overlapsUnfinished = false;
        int32_t largest = 0;
        for (const auto& [owner, entry] : reference) {
            if (owner == &member || !entry.Overlaps(ql, qr)) continue;
            if (owner->Progress() != kProgressFinished) overlapsUnfinished = true;
            else largest = std::max(largest, entry.bottom);
        }
        ASSERT_EQ(record.Size(), reference.size()) << "step " << step;
        ASSERT_EQ(record.OverlapsUnfinished(&member, ql, qr), overlapsUnfinished)
            << "step " << step << " [" << ql << ", " << qr << "]";
        ASSERT_EQ(record.LargestFinishedBottom(&member, ql, qr), largest)
            << "step " << step << " [" << ql << ", " << qr << "]";
    }
}

// A row of 100,000 cells asks once per cell; each answer must cost about what
// the cells near it do, not the whole row (which took minutes).
TEST(PlacementRecordIndex, AWideRowCostsAboutWhatItsCellsDo) {
    constexpr int32_t kCells = 100000;
    std::vector<Member> cells(kCells);
    PlacementRecord record;
    const auto started = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < kCells; ++i) {
        cells[static_cast<size_t>(i)].SetProgress(kProgressFinished);
        ASSERT_EQ(record.LargestFinishedBottom(&cells[static_cast<size_t>(i)], i * 10, i * 10 + 10),
                  i == 0 ? 0 : 100 + i - 1);
        record.Register(&cells[static_cast<size_t>(i)], i * 10, i * 10 + 10, 100 + i);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

}  // namespace
