// The slider, radio group and meter that write straight into a record's integers.
#include "controls/lv_lcd_meter.h"
#include "controls/lv_radio_group.h"
#include "controls/lv_track_bar.h"
#include "model/errors.h"
#include "tests/support/test_app.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(TrackBar, BindingReportsOnceAndUserMovesOnlyWhenTheSlotChanges) {
    TestApp();
    TlvTrackBar bar;
    bar.SetRange(0, 31);
    QSignalSpy changes(&bar, &TlvTrackBar::OnChange);
    int slot = 0;
    bar.Bind(&slot); // already at 0: still one report, so labels are filled
    EXPECT_EQ(changes.count(), 1);
    slot = 20;
    bar.Bind(&slot);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(bar.value(), 20);
    EXPECT_EQ(slot, 20);

    bar.setValue(25); // as a drag does
    EXPECT_EQ(slot, 25);
    EXPECT_EQ(changes.count(), 3);
    // The record changed under the slider: the slider writes it back and reports.
    slot = 3;
    bar.setValue(24);
    EXPECT_EQ(slot, 24);
    EXPECT_EQ(changes.count(), 4);

    bar.Bind(nullptr);
    EXPECT_EQ(changes.count(), 5);
    bar.setValue(7); // unbound: every move is reported, nothing written
    EXPECT_EQ(changes.count(), 6);
    EXPECT_EQ(slot, 24);
}

TEST(TrackBar, ReversedSliderRunsFromItsMaxEnd) {
    TestApp();
    TlvTrackBar bar(Qt::Vertical);
    bar.SetRange(0, 127);
    bar.SetReversed(true);
    int slot = 0;
    bar.Bind(&slot);
    EXPECT_EQ(bar.value(), 127);
    bar.setValue(0);
    EXPECT_EQ(slot, 127);
    bar.SetValue(64); // the value, not the position
    EXPECT_EQ(bar.value(), 63);
    EXPECT_EQ(slot, 64);
    EXPECT_EQ(bar.Value(), 64);
}

TEST(TrackBar, RangeChangesAndOutOfRangeValuesLeaveTheSlotAlone) {
    TestApp();
    TlvTrackBar bar;
    bar.SetRange(1, 50);
    int slot = 0; // a stored value below the slider's minimum
    bar.Bind(&slot);
    EXPECT_EQ(bar.value(), 1);
    EXPECT_EQ(slot, 0);
    slot = 45;
    bar.Bind(&slot);
    bar.SetRange(0, 10); // clamps the position without touching the record
    EXPECT_EQ(slot, 45);
}

TEST(RadioGroup, ClicksWriteIndexPlusAddendAndBindingShowsTheSlot) {
    TestApp();
    TlvRadioGroup group;
    group.SetItems({"Hall-1", "Room-1", "Plate-1", "Vocal-1", "OFF"});
    group.SetDataAddend(9);
    QSignalSpy clicks(&group, &TlvRadioGroup::OnClick);
    QSignalSpy userChanges(&group, &TlvRadioGroup::UserChanged);
    int slot = 13;
    group.Bind(&slot);
    EXPECT_EQ(group.ItemIndex(), 4);
    EXPECT_TRUE(group.Button(4)->isChecked());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(userChanges.count(), 0);

    group.resize(200, 200);
    group.show();
    const QPoint circle(6, group.Button(1)->height() / 2);
    QTest::mouseClick(group.Button(1), Qt::LeftButton, {}, circle);
    EXPECT_EQ(slot, 10);
    EXPECT_EQ(group.SelectedText(), "Room-1");
    EXPECT_EQ(userChanges.count(), 1);
    QTest::mouseClick(group.Button(1), Qt::LeftButton, {}, circle); // same choice again
    EXPECT_EQ(userChanges.count(), 1);
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_EQ(clicks.count(), 3);

    // A value the items cannot show: no selection, and the record keeps its value.
    slot = 40;
    group.Bind(&slot);
    EXPECT_EQ(group.ItemIndex(), -1);
    for (int i = 0; i < group.ButtonCount(); ++i)
        EXPECT_FALSE(group.Button(i)->isChecked());
    EXPECT_EQ(slot, 40);
}

TEST(RadioGroup, ShorterItemsMoveTheSelectionToTheLastLineAndWriteIt) {
    TestApp();
    TlvRadioGroup group;
    group.SetItems({"a", "b", "c", "d", "e", "f"});
    group.SetDataAddend(3);
    int slot = 8; // index 5
    group.Bind(&slot);
    group.SetItems({"x", "y", "z"});
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(slot, 5);
    EXPECT_EQ(group.ButtonCount(), 3);

    group.SetItemIndex(99);
    EXPECT_EQ(group.ItemIndex(), 2);
    group.SetItemIndex(-7);
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(slot, 5); // no selection stores nothing
}

TEST(RadioGroup, ButtonsFillEachColumnTopToBottom) {
    TestApp();
    TlvRadioGroup group;
    group.SetItems({"1", "2", "3", "4", "5"});
    group.SetColumns(2);
    group.resize(210, 120);
    group.show();
    const int textHeight = group.CaptionHeight();
    const int rows = 3;
    const int rowHeight = (120 - textHeight - 5) / rows;
    const int top = ((120 - textHeight - 5) % rows) / 2 + textHeight + 1;
    EXPECT_EQ(group.Button(0)->geometry(), QRect(8, top, 100, rowHeight));
    EXPECT_EQ(group.Button(2)->geometry().topLeft(), QPoint(8, 2 * rowHeight + top));
    EXPECT_EQ(group.Button(3)->geometry().topLeft(), QPoint(108, top));
    group.SetColumns(40);
    EXPECT_EQ(group.Columns(), TlvRadioGroup::MaxColumns);
}

TEST(LcdMeter, LightsFromTheBottomAndRefusesAnUpsideDownRange) {
    TestApp();
    TlvLCDmeter meter;
    meter.resize(15, 120); // 40 pips of 3
    meter.SetRange(0, 0, 12);
    EXPECT_EQ(meter.PipsAlong(), 40);
    EXPECT_EQ(meter.PipsAcross(), 5);
    EXPECT_EQ(meter.LitCount(), 0);
    meter.SetPosition(12);
    EXPECT_EQ(meter.LitCount(), 40);
    meter.SetPosition(6);
    EXPECT_EQ(meter.LitCount(), 20);
    EXPECT_TRUE(meter.PipLit(39));
    EXPECT_TRUE(meter.PipLit(20));
    EXPECT_FALSE(meter.PipLit(19));

    try {
        meter.SetRange(3, 10, 5);
        FAIL() << "expected an error";
    } catch (const EHrzError& e) {
        EXPECT_STREQ(e.what(), "Property Out Of Range");
    }
    EXPECT_EQ(meter.Min(), 0);
    EXPECT_EQ(meter.Max(), 12);
    meter.SetRange(0, 4, 4); // an empty range lights nothing
    EXPECT_EQ(meter.LitCount(), 0);

    meter.resize(2000, 2000);
    EXPECT_EQ(meter.PipsAlong(), TlvLCDmeter::MaxPipsAlong);
    EXPECT_EQ(meter.PipsAcross(), TlvLCDmeter::MaxPipsAcross);
    meter.SetPipSize(1);
    EXPECT_EQ(meter.PipSize(), 2);
}

TEST(LcdMeter, BoundMeterWritesItsSlotOnlyWhenThePositionChanges) {
    TestApp();
    TlvLCDmeter meter;
    meter.SetRange(0, 0, 12);
    QSignalSpy changes(&meter, &TlvLCDmeter::OnChange);
    int slot = 9;
    meter.Bind(&slot);
    EXPECT_EQ(meter.Position(), 9);
    EXPECT_EQ(changes.count(), 0);
    meter.SetPosition(9);
    EXPECT_EQ(changes.count(), 0);
    meter.SetPosition(40); // clamped
    EXPECT_EQ(slot, 12);
    EXPECT_EQ(changes.count(), 1);
    meter.SetRange(20, 0, 6); // range shrinks under the position
    EXPECT_EQ(slot, 6);
    EXPECT_EQ(changes.count(), 2);
}

TEST(LcdMeter, APositionChangeRepaintsOnlyThePipsThatChanged) {
    TestApp();
    TlvLCDmeter meter;
    meter.resize(15, 120);
    meter.SetRange(0, 0, 12);
    meter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&meter));
    QCoreApplication::processEvents();
    meter.SetPosition(3); // 10 pips light up
    QCoreApplication::processEvents();
    EXPECT_LE(meter.PipsPaintedLastTime(), 10);
    EXPECT_GT(meter.PipsPaintedLastTime(), 0);
}
