// Opening files, storing in the unit, and the FB7 states page.
#include "editor/fb7_states.h"
#include "editor/frm_store_prompt.h"
#include "model/device_globals.h"
#include "tests/editor/editor_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>

namespace {

TPreset OnGroup(int g, std::initializer_list<int> analog = {}) {
    TPreset p;
    p.SetDigitalGroup(g);
    for (int i : analog)
        p.SetAnalogSelect(i, true);
    return p;
}

void WriteFile(const QString& path, const TBytes& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

TBytes DumpOf(const TPreset& p) {
    const auto d = p.DumpBytes();
    return {d.begin(), d.end()};
}

} // namespace

class OpenStoreTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        TEditorOperations ops = editor->Operations();
        ops.SendLong = [this](const std::uint8_t* bytes, std::uint16_t length) {
            longs.emplace_back(bytes, bytes + length);
        };
        ops.QueryCurrentPresetNumber = [this] { return unitLocation; };
        editor->SetOperations(ops);
        RequestDelay = 5;
    }
    void TearDown() override {
        RequestDelay = 1000;
        DeviceChannel = 0;
        EditorTest::TearDown();
    }
    // Answers the store dialog as a user would: types text (none when null) and
    // presses OK or Cancel; when the dialog refuses to close, types thenText (if not
    // null) and presses the same button again.
    void AnswerStore(QString text, bool ok = true, QString thenText = QString()) {
        dialogs.service.QueueModal([=, this](QDialog& d) {
            auto& prompt = static_cast<TfrmStorePrompt&>(d);
            lastProposed = prompt.edtPresetNo->text();
            bool closed = false;
            int result = 0;
            const auto watch = QObject::connect(&prompt, &QDialog::finished, [&](int r) {
                closed = true;
                result = r;
            });
            for (const QString& t : {text, thenText}) {
                if (closed || (&t == &thenText && t.isNull()))
                    break;
                if (!t.isNull()) {
                    prompt.edtPresetNo->selectAll();
                    QTest::keyClicks(prompt.edtPresetNo, t);
                }
                QTest::mouseClick(ok ? prompt.btnOK : prompt.btnCancel, Qt::LeftButton);
                lastShown = prompt.edtPresetNo->text();
            }
            QObject::disconnect(watch);
            return closed && result == QDialog::Accepted ? int(mrOk) : int(mrCancel);
        });
    }

    std::vector<TBytes> longs;
    int unitLocation = -1;
    QString lastProposed, lastShown;
    QTemporaryDir dir;
};

// ---- Open ----

TEST_F(OpenStoreTest, OpeningAFileOfTheWrongSizeLeavesTheWindowAsItWas) {
    Open(OnGroup(0, {1}));
    for (const int size : {251, 253}) {
        const QString path = dir.filePath(QString("bad%1.hrz").arg(size));
        TBytes bytes = DumpOf(OnGroup(0, {3}));
        bytes.resize(static_cast<std::size_t>(size), 0xF7);
        WriteFile(path, bytes);
        dialogs.service.QueueResult(mrNo);
        dialogs.service.QueuePath(path);
        try {
            editor->OpenPresetFile();
            ADD_FAILURE() << "opened " << size;
        } catch (const EHrzError& e) {
            EXPECT_STREQ(e.what(), "Not a valid preset file");
        }
        EXPECT_TRUE(editor->Preset().AnalogSelect(1));
        EXPECT_EQ(editor->FileName(), "");
    }
    // Right size, wrong header (a program table's command byte).
    TBytes table = DumpOf(OnGroup(0, {3}));
    table[4] = 0x13;
    WriteFile(dir.filePath("table.hrz"), table);
    dialogs.service.QueueResult(mrNo);
    dialogs.service.QueuePath(dir.filePath("table.hrz"));
    EXPECT_THROW(editor->OpenPresetFile(), EInvalidData);
    EXPECT_TRUE(editor->Preset().AnalogSelect(1));
}

TEST_F(OpenStoreTest, OpeningAPresetFileShowsItWithAFreshHistory) {
    TPreset p = OnGroup(0, {1});
    Open(p);
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    WaitForChangeTimer();
    TPreset other = OnGroup(46, {3});
    other.Title = "From disk";
    const QString path = dir.filePath("From disk.hrz003");
    WriteFile(path, DumpOf(other));
    editor->SetFileName(dir.filePath("Old.hrz"));

    dialogs.service.QueueResult(mrNo); // drop the change
    dialogs.service.QueuePath(path);
    QTest::mouseClick(editor->btnOpen, Qt::LeftButton);
    EXPECT_EQ(dialogs.service.History()[0].text, "Do you want to save your changes?");
    EXPECT_EQ(dialogs.service.Last().kind, "open");
    EXPECT_EQ(dialogs.service.Last().text, QDir(dir.path()).absolutePath());
    EXPECT_EQ(editor->edtTitle->text(), "From disk");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #46");
    EXPECT_EQ(editor->FileName(), path);
    EXPECT_EQ(editor->History().UndoCount(), 1);
    EXPECT_FALSE(editor->btnUndo->isEnabled());
    EXPECT_FALSE(editor->Preset().IsChanged());
    EXPECT_FALSE(editor->NeverSaved());
}

TEST_F(OpenStoreTest, ASaveThatDidNotHappenKeepsTheChangesInsteadOfOpening) {
    Show(*editor); // new and never saved
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueuePath({}); // the save dialog is cancelled
    editor->OpenPresetFile();
    EXPECT_EQ(dialogs.service.Last().kind, "save");
    dialogs.service.QueueResult(mrCancel);
    editor->OpenPresetFile();
    EXPECT_EQ(dialogs.service.Last().kind, "message");
}

// ---- Store ----

TEST_F(OpenStoreTest, StoringAt129And200SendsTheLocationSplitInTwo) {
    DeviceChannel = 3;
    Open(OnGroup(0, {1}));
    unitLocation = 129;
    AnswerStore("129");
    QTest::mouseClick(editor->btnStore, Qt::LeftButton);
    EXPECT_EQ(lastProposed, "129"); // the unit's current preset
    ASSERT_EQ(longs.size(), 1u);
    EXPECT_EQ(longs[0], (TBytes{0xF0, 0x1A, 0x03, 0x12, 0x0A, 0x00, 0x01, 0xF7}));
    ASSERT_EQ(sends.size(), 1u); // sent first, as the box is checked
    EXPECT_EQ(Status(), "Sent");

    AnswerStore("200");
    editor->StorePreset();
    EXPECT_EQ(longs.back(), (TBytes{0xF0, 0x1A, 0x03, 0x12, 0x0A, 0x47, 0x01, 0xF7}));
    EXPECT_EQ(TfrmPresetEditor::StoreMessage(1), (TBytes{0xF0, 0x1A, 3, 0x12, 0x0A, 0, 0, 0xF7}));
    EXPECT_EQ(TfrmPresetEditor::StoreMessage(128),
              (TBytes{0xF0, 0x1A, 3, 0x12, 0x0A, 0x7F, 0, 0xF7}));
}

TEST_F(OpenStoreTest, ASilentUnitLeavesTheFileNameToProposeTheLocation) {
    Open(OnGroup(0));
    editor->SetFileName(dir.filePath("Lead.hrz042"));
    AnswerStore(QString(), false);
    editor->StorePreset();
    EXPECT_EQ(lastProposed, "42");
    EXPECT_TRUE(longs.empty());
    EXPECT_EQ(TfrmPresetEditor::ProposedLocation("Clean.hrz7"), 1);
    EXPECT_EQ(TfrmPresetEditor::ProposedLocation("/a.hrz/Lead.hrz042"), 42);
    EXPECT_EQ(TfrmPresetEditor::ProposedLocation("Lead.hrz04x"), 1);
    EXPECT_EQ(TfrmPresetEditor::ProposedLocation("Lead.hrz"), 1);
    // The shared dialog keeps its number for the next store while the unit is silent.
    editor->SetFileName(dir.filePath("Other.hrz099"));
    AnswerStore(QString(), false);
    editor->StorePreset();
    EXPECT_EQ(lastProposed, "42");
}

TEST_F(OpenStoreTest, ANumberOutOfRangeIsRefusedOnOkAndOnCancel) {
    Open(OnGroup(0));
    AnswerStore("250", true, "");
    editor->StorePreset();
    ASSERT_GE(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Preset number out of range");
    EXPECT_EQ(Messages()[0].caption, "Invalid entry");
    EXPECT_EQ(lastShown, "200");
    EXPECT_EQ(longs.back(), TfrmPresetEditor::StoreMessage(200)); // OK again stores at 200

    dialogs.service.ClearHistory();
    AnswerStore("0", false, "7");
    editor->StorePreset();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Preset number out of range");
    EXPECT_EQ(longs.size(), 1u); // cancelled in the end

    // Only digits can be typed; an empty box is not a number.
    dialogs.service.ClearHistory();
    AnswerStore("1x2", false, "");
    editor->StorePreset();
    EXPECT_EQ(lastProposed, "7");
    EXPECT_EQ(TfrmPresetEditor::StoreDialog()->edtPresetNo->text(), "12");
}

TEST_F(OpenStoreTest, WithoutSendFirstOnlyTheStoreMessageGoesOut) {
    Open(OnGroup(0));
    dialogs.service.QueueModal([](QDialog& d) {
        auto& prompt = static_cast<TfrmStorePrompt&>(d);
        EXPECT_TRUE(prompt.chkDoSend->isChecked());
        EXPECT_EQ(prompt.windowTitle(), "Store Preset");
        prompt.chkDoSend->setChecked(false);
        QTest::mouseClick(prompt.btnUp, Qt::LeftButton);
        QTest::mouseClick(prompt.btnUp, Qt::LeftButton);
        EXPECT_EQ(prompt.edtPresetNo->text(), "3");
        QTest::mouseClick(prompt.btnOK, Qt::LeftButton);
        return int(mrOk);
    });
    editor->StorePreset();
    EXPECT_TRUE(sends.empty());
    EXPECT_EQ(longs, std::vector<TBytes>{TfrmPresetEditor::StoreMessage(3)});
    // The shared dialog goes with an editor.
    ASSERT_NE(TfrmPresetEditor::StoreDialog(), nullptr);
    EXPECT_FALSE(TfrmPresetEditor::StoreDialog()->SendFirst());
    editor.reset();
    EXPECT_EQ(TfrmPresetEditor::StoreDialog(), nullptr);
}

// ---- FB7 states ----

class FB7Test : public EditorTest {
protected:
    QCheckBox* Box(int i) const { return editor->FB7().Boxes[static_cast<std::size_t>(i)]; }
};

TEST_F(FB7Test, AFamilyThatComesIsSwitchedOnAndOneThatGoesIsSwitchedOff) {
    Show(*editor);
    editor->pgcPreset->setCurrentWidget(editor->tsFB7);
    EXPECT_EQ(Box(6)->objectName(), "chkFB7dly");
    EXPECT_EQ(Box(6)->text(), "Delay");
    EXPECT_FALSE(Box(6)->isEnabled());
    editor->AddDigitalEffect("Regen DDL S");
    EXPECT_TRUE(Box(6)->isEnabled());
    EXPECT_TRUE(Box(6)->isChecked());
    EXPECT_TRUE(editor->Preset().FB7State(6));
    EXPECT_EQ(sends.back()[5] & 0x04, 0x04);
    editor->RemoveDigitalEffect("Regen DDL S");
    EXPECT_FALSE(Box(6)->isEnabled());
    EXPECT_FALSE(Box(6)->isChecked());
    EXPECT_FALSE(editor->Preset().FB7State(6));
    editor->AddDigitalEffect("Stereo DDL L");
    EXPECT_TRUE(Box(6)->isChecked());
    CheckAnalog(2, true); // Expander
    EXPECT_TRUE(Box(4)->isChecked());
}

TEST_F(FB7Test, StoredStatesAreShownAsTheyAreAndUserChoicesSurviveUndo) {
    TPreset p;
    p.SetDigitalGroup(9); // Low Pass, Regen DDL S, Reverb 2, Flanger, Panner
    p.SetDigitalActive(2, true);
    p.SetDigitalActive(3, true);
    p.SetAnalogSelect(1, true);
    p.SetFB7State(5, false); // reverb not switched by the FB7
    p.SetFB7State(8, true);
    p.SetFB7State(1, true);
    Open(p);
    EXPECT_TRUE(Box(5)->isEnabled());
    EXPECT_FALSE(Box(5)->isChecked());
    EXPECT_TRUE(Box(8)->isChecked());
    EXPECT_FALSE(editor->Preset().IsChanged()); // showing changed nothing

    QTest::mouseClick(Box(8), Qt::LeftButton);
    EXPECT_FALSE(editor->Preset().FB7State(8));
    EXPECT_EQ(sends.size(), 1u);
    QTest::mouseClick(Box(1), Qt::LeftButton);
    Press(editor->edtTitle, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Box(1)->isChecked());
    EXPECT_FALSE(Box(8)->isChecked()); // the earlier choice is still there after the undo
    EXPECT_FALSE(editor->Preset().FB7State(8));
}
