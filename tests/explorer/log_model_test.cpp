#include "explorer/log_model.h"

#include <gtest/gtest.h>

namespace {

std::vector<QString> Texts(const TLogModel& m) {
    std::vector<QString> out;
    for (int i = 0; i < m.Count(); ++i)
        out.push_back(m.Text(i));
    return out;
}

std::vector<QString> Rows(const TLogModel& m) {
    std::vector<QString> out;
    for (int i = 0; i < m.rowCount(); ++i)
        out.push_back(m.data(m.index(i), Qt::DisplayRole).toString());
    return out;
}

} // namespace

TEST(LogModel, TheLogChangesAtOnceAndTheViewCatchesUpOnFlush) {
    TLogModel m;
    int inserted = 0, removed = 0;
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [&] { ++removed; });
    for (const char* t : {"a", "b", "c"})
        m.Append(t);
    m.Flush();
    m.Append("d");
    m.Remove(0);
    m.Remove(0);
    m.Append("e");
    EXPECT_EQ(Texts(m), (std::vector<QString>{"c", "d", "e"}));
    // The view still shows what it was last told.
    EXPECT_EQ(Rows(m), (std::vector<QString>{"a", "b", "c"}));
    EXPECT_TRUE(m.Flush());
    EXPECT_EQ(Rows(m), (std::vector<QString>{"c", "d", "e"}));
    EXPECT_FALSE(m.Flush());
    // One insertion and one removal per flush, however many lines changed.
    EXPECT_EQ(inserted, 2);
    EXPECT_EQ(removed, 1);
}

TEST(LogModel, RemovingAnyLineFreesItsEventAndKeepsTheOrder) {
    TLogModel m;
    for (int i = 0; i < 4; ++i)
        m.Append(QString::number(i), TMyMidiEvent::Short(0x90, static_cast<std::uint8_t>(i), 1));
    m.Flush();
    m.Append("4", TMyMidiEvent::Short(0x90, 4, 1));
    m.Remove(0);             // deferred front removal
    m.Remove(m.Count() - 1); // an unflushed line
    m.Remove(1);             // a line in the middle: the view is told at once
    EXPECT_EQ(Texts(m), (std::vector<QString>{"1", "3"}));
    EXPECT_EQ(Rows(m), (std::vector<QString>{"1", "3"}));
    EXPECT_EQ(m.Event(1)->Data1, 3);
    EXPECT_THROW(m.Text(2), std::out_of_range);
    m.Clear();
    EXPECT_EQ(m.Count(), 0);
    EXPECT_EQ(m.rowCount(), 0);
}
