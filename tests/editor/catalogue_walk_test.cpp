// Every parameter of every effect: its control exists, named as the listing
// expects, and setting it to its ends through the widget lands in the right slot,
// the value label and the dump.
#include "model/digital_groups.h"
#include "model/value_text.h"
#include "tests/editor/editor_fixture.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>

namespace {

QString Name(const TParamInfo& p) {
    return QString::fromLatin1(p.ControlName.data(), static_cast<qsizetype>(p.ControlName.size()));
}

} // namespace

class CatalogueWalk : public EditorTest {
protected:
    // Sets the control to one end the way a user does it and returns the raw value
    // that end stands for.
    int SetToEnd(TParamControl& c, const TParamInfo& p, bool top) {
        switch (p.Control) {
        case TControlKind::Slider:
        case TControlKind::ReversedSlider: {
            Press(c.Slider(), top ? Qt::Key_End : Qt::Key_Home);
            const bool reversed = p.Control == TControlKind::ReversedSlider;
            return top != reversed ? p.Max : p.Min;
        }
        case TControlKind::RadioGroup: {
            TlvRadioGroup* radio = c.Radio();
            const int i = top ? radio->ButtonCount() - 1 : 0;
            // On its circle: a radio button takes clicks on its circle and text only.
            if (radio->isEnabled())
                QTest::mouseClick(radio->Button(i), Qt::LeftButton, {},
                                  QPoint(6, radio->Button(i)->height() / 2));
            return p.Addend + i;
        }
        case TControlKind::CheckBox:
            if (c.Check()->isChecked() != top)
                QTest::mouseClick(c.Check(), Qt::LeftButton);
            return top ? 1 : 0;
        case TControlKind::Meter:
            // The bar's top is the meter's maximum.
            Press(c.Scroll, top ? Qt::Key_Home : Qt::Key_End);
            return top ? p.Max : p.Min;
        case TControlKind::ListBox:
            Press(c.List(), top ? Qt::Key_End : Qt::Key_Home);
            return top ? p.Max : p.Min;
        }
        return 0;
    }

    void Walk(const TParamInfo& p, int slot) {
        SCOPED_TRACE(Name(p).toStdString());
        TParamControl* c = editor->Pages().Find(Name(p));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Bound, &p) << "bound with this effect's ranges";
        EXPECT_EQ(c->Slot, &editor->Preset().Params[static_cast<std::size_t>(slot)]);
        EXPECT_TRUE(c->Control->isVisible());
        for (bool top : {true, false}) {
            const int v = SetToEnd(*c, p, top);
            EXPECT_EQ(editor->Preset().Params[static_cast<std::size_t>(slot)], v) << top;
            if (c->Value) {
                EXPECT_EQ(c->Value->objectName(), "txt" + Name(p).mid(3));
                EXPECT_EQ(c->Value->text(), QString::fromStdString(ValueText(p, v)));
                EXPECT_FALSE(c->Value->text().isEmpty());
            }
            if (auto* radio = c->Radio()) {
                EXPECT_EQ(radio->SelectedText().toStdString(), ValueText(p, v));
            }
            const auto dump = editor->Preset().DumpBytes();
            const std::size_t at = 17 + 2 * static_cast<std::size_t>(slot);
            EXPECT_EQ(dump[at], v & 0x7F);
            EXPECT_EQ(dump[at + 1], v >> 7);
        }
    }
};

TEST_F(CatalogueWalk, EveryMixAndAnalogParameterReachesItsSlotLabelAndDump) {
    Show(*editor);
    for (const auto& p : Catalogue::MixParams())
        Walk(p, p.Slot);
    editor->pgcPreset->setCurrentWidget(editor->tsAnalog);
    for (int a = 0; a < Catalogue::AnalogEffectCount; ++a) {
        CheckAnalog(a, true);
        ASSERT_EQ(editor->pgcAnalogParams->currentIndex(), a);
        for (const auto& p : Catalogue::AnalogEffectParams(a))
            Walk(p, p.Slot);
    }
}

TEST_F(CatalogueWalk, EveryDigitalParameterOfEveryEffectReachesItsSlotLabelAndDump) {
    Show(*editor);
    editor->pgcPreset->setCurrentWidget(editor->tsDigital);
    const auto effects = Catalogue::DigitalEffects();
    for (int e = 0; e < Catalogue::DigitalEffectCount; ++e) {
        const QString name = QString::fromLatin1(effects[static_cast<std::size_t>(e)].Name.data());
        SCOPED_TRACE(name.toStdString());
        editor->AddDigitalEffect(name);
        const int g = editor->Preset().DigitalGroup();
        ASSERT_TRUE(DigitalGroups::RowContains(g, e));
        ASSERT_EQ(editor->pgcDigitalParams->currentIndex(),
                  effects[static_cast<std::size_t>(e)].Page);
        int slot = TPreset::FirstDigitalSlot + DigitalGroups::SlotOffset(g, e);
        for (const auto& p : Catalogue::DigitalEffectParams(e))
            Walk(p, slot++);
        editor->RemoveDigitalEffect(name);
    }
}

TEST_F(CatalogueWalk, PagesHoldTheirControlsInSlotOrderWithCompanionLabels) {
    // The listing and the performance page walk a page's children in order; they
    // must meet the parameters in the order the slots hold them.
    for (const auto& c : editor->Pages().Controls()) {
        const QString name = c->Name();
        EXPECT_EQ(c->Control->parentWidget(), c->Page) << name.toStdString();
        if (c->Caption) {
            EXPECT_EQ(c->Caption->objectName(), "lbl" + name.mid(3));
        }
    }
    for (int e = 0; e < Catalogue::DigitalEffectCount; ++e) {
        QWidget* page = editor->Pages().DigitalPage(Catalogue::DigitalEffects()[e].Page);
        const auto children = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        qsizetype last = -1;
        for (const auto& p : Catalogue::DigitalEffectParams(e)) {
            const qsizetype at = children.indexOf(editor->Pages().Find(Name(p))->Control);
            EXPECT_GT(at, last) << Name(p).toStdString();
            last = at;
        }
    }
    EXPECT_EQ(editor->Pages().Controls().size(), 3u + 31u + 84u);
}
