// Form-record project files: reading the layouts and kinds, rejecting what is not a project,
// and the round trip of everything the writer stores.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <random>
#include <tuple>

#include "TestForm.h"
#include "base/Errors.h"
#include "base/TextCodec.h"
#include "project/FileIo.h"
#include "project/FormRecord.h"
#include "units/ColorTable.h"

namespace velm {
namespace {

using test::DataFile;
using test::ReadBytes;
using test::TTestForm;
using test::WriteTemp;

const std::string kHeader(kFormRecordHeader);

// A record text in GB2312: the header, two header lines, then the given lines (UTF-8 here),
// CR LF after each.
std::string Records(std::initializer_list<const char*> lines) {
  std::string text = kHeader + "\r\nline 2\r\nline 3\r\n";
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return Utf8ToGb(text);
}

bool Apply(TTestForm& form, const std::string& text) { return ApplyRecordText(&form, text); }

// ---------------------------------------------------------------------------------------------
// Layouts and headers

void ExpectLdInKgPerHour(TTestForm& form) {
  EXPECT_EQ(form.Field("LD")->text(), "3600");
  EXPECT_DOUBLE_EQ(form.Field("LD")->K(), 0.000277777777777);
  EXPECT_EQ(form.Selector("LU")->ItemIndex(), 1);
  EXPECT_EQ(form.Selector("LU")->GetUnit(), "kg/h");
  EXPECT_NEAR(form.Field("LD")->Value(), 0.9999999999972, 1e-15);
}

TEST(FormRecordLayout, PlainFileOpensLdInKgPerHour) {
  TTestForm form;
  ASSERT_TRUE(ReadFormRecordFile(&form, DataFile("ld_kgh_plain.vlm")));
  ExpectLdInKgPerHour(form);
}

TEST(FormRecordLayout, CompressedFileOpensIdentically) {
  TTestForm form;
  ASSERT_TRUE(ReadFormRecordFile(&form, DataFile("ld_kgh_compressed.vlm")));
  ExpectLdInKgPerHour(form);
}

TEST(FormRecordLayout, NotAFormRecordFileChangesNothing) {
  for (const char* name : {"wrong_author.vlm", "truncated_compressed.vlm", "huge_s.vlm",
                           "legacy_full.txt", "does_not_exist.vlm"}) {
    SCOPED_TRACE(name);
    TTestForm form;
    EXPECT_FALSE(ReadFormRecordFile(&form, DataFile(name)));
    EXPECT_TRUE(form.FEvents.isEmpty()) << form.FEvents.join(",").toStdString();
    EXPECT_EQ(form.Field("LD")->text(), "");
    EXPECT_EQ(form.Selector("LU")->ItemIndex(), 0);
  }
}

TEST(FormRecordLayout, HeaderMustMatchExactlyAndEndWithCrLf) {
  TTestForm form;
  EXPECT_FALSE(Apply(form, kHeader + " \r\n"));
  EXPECT_THROW(Apply(form, kHeader), TInputError);  // a header alone is no project
  EXPECT_TRUE(form.FEvents.isEmpty());
  // A text whose lines all end in LF alone is read in LF lines.
  EXPECT_TRUE(Apply(form, kHeader + "\n\n\nLD\nString\nText\n5\n-\n"));
  EXPECT_EQ(form.Field("LD")->text(), "5");
}

TEST(FormRecordUnpack, PlainTextThatLooksLikeZlibStaysPlain) {
  // "x^" is a valid zlib header: only inflating the whole stream tells it is not one.
  const std::string text = "S\0\0\0x^ not really deflate data";
  EXPECT_EQ(UnpackRecordText(text), text);
  EXPECT_EQ(UnpackRecordText("abc"), "abc");
  EXPECT_EQ(UnpackRecordText(""), "");
}

TEST(FormRecordUnpack, InflatedTextLongerThanAnnouncedIsCutToS) {
  std::string file = PackRecordText("0123456789");
  file[0] = 4;
  EXPECT_EQ(UnpackRecordText(file), "0123");
}

TEST(FormRecordUnpack, StreamInflatingBeyondTheCapIsNotTrusted) {
  // A small or an honest announced length in front of a stream that inflates past the cap.
  std::string file = PackRecordText(std::string(kMaxRecordTextSize + 1, ' '));
  EXPECT_EQ(Unpack(file).FLayout, TRecordLayout::TooLarge);
  file[0] = 10, file[1] = file[2] = file[3] = 0;
  EXPECT_EQ(Unpack(file).FLayout, TRecordLayout::TooLarge);
  EXPECT_EQ(UnpackRecordText(file), file);
}

TEST(FormRecordUnpack, AnnouncedLengthBeyondWhatTheFileCanHoldIsPlain) {
  std::string file = PackRecordText("hello");
  // 1 MiB can not come out of a dozen bytes of deflate data.
  file[0] = 0, file[1] = 0, file[2] = 0x10, file[3] = 0;
  EXPECT_EQ(UnpackRecordText(file), file);
}

// ---------------------------------------------------------------------------------------------
// Records: lookup, kinds, skipping

TEST(FormRecordKinds, ComponentNamesIgnoreCaseButKindsAreExact) {
  TTestForm form;
  ASSERT_TRUE(
      Apply(form, Records({"ld", "String", "Text", "12", "-", "VD", "string", "Text", "99", "-"})));
  EXPECT_EQ(form.Field("LD")->text(), "12");
  EXPECT_EQ(form.Field("VD")->text(), "");
}

TEST(FormRecordKinds, UnknownAndMismatchedRecordsAreSkipped) {
  TTestForm form;
  ASSERT_TRUE(Apply(form, Records({
                              "NoSuchControl",
                              "String",
                              "Text",
                              "1",
                              "-",  // no component
                              "LD",
                              "String",
                              "NoSuchProperty",
                              "1",
                              "-",  // no property
                              "LD",
                              "String",
                              "k",
                              "abc",
                              "-",  // k is not a string
                              "LD",
                              "Float",
                              "Text",
                              "1",
                              "-",  // Text is not a float
                              "LD",
                              "Ord",
                              "ReadOnly",
                              "1",
                              "-",  // ReadOnly is Boolean
                              "LD",
                              "Enum",
                              "Color",
                              "True",
                              "-",  // Color is a number
                              "LD",
                              "Float",
                              "FloatStr",
                              "1",
                              "-",  // read-only property
                              "LD",
                              "Blob",
                              "Text",
                              "1",
                              "-",  // unknown kind
                              "VD",
                              "String",
                              "Text",
                              "5",
                              "-",  // and reading goes on
                          })));
  EXPECT_EQ(form.Field("LD")->text(), "");
  EXPECT_DOUBLE_EQ(form.Field("LD")->K(), 1.0);
  EXPECT_FALSE(form.Field("LD")->isReadOnly());
  EXPECT_EQ(form.Field("VD")->text(), "5");
}

TEST(FormRecordKinds, EachKindSetsItsProperty) {
  TTestForm form;
  ASSERT_TRUE(Apply(
      form,
      Records({
          "dD",        "Float",  "k",    "1E-2",      "-",      "dD",        "Float",    "b",
          "-0.5",      "-",      "dD",   "Ord",       "Color",  "-16777201", "-",        "dD",
          "Ord",       "Cursor", "-18",  "-",         "dD",     "Enum",      "ReadOnly", "true",
          "-",         "CalKp",  "Enum", "Checked",   "False",  "-",         "MethodD",  "Ord",
          "ItemIndex", "1",      "-",    "fpercentD", "String", "Text",      "83",       "-",
          "ProjectD",  "String", "Text", "脱碳塔",    "-",
      })));
  const TEditD* d = form.Field("dD");
  EXPECT_DOUBLE_EQ(d->K(), 0.01);
  EXPECT_DOUBLE_EQ(d->B(), -0.5);
  EXPECT_EQ(d->Color(), kColorBtnFace);
  EXPECT_EQ(d->CursorNumber(), kCursorNotAllowed);
  EXPECT_TRUE(d->isReadOnly());
  EXPECT_FALSE(form.FCalKp->isChecked());
  EXPECT_EQ(form.FMethodD->currentIndex(), 1);
  EXPECT_EQ(form.FfpercentD->currentText(), "83");
  EXPECT_EQ(form.TextField("ProjectD")->text(), "脱碳塔");
}

TEST(FormRecordKinds, MemoMarksBecomeLineBreaks) {
  TTestForm form;
  ASSERT_TRUE(Apply(form, Records({"CommentD", "Rich", "Lines", "第一行▲▲third", "-"})));
  EXPECT_EQ(form.FCommentD->toPlainText(), "第一行\n\nthird");
}

TEST(FormRecordKinds, OnlyWhatTheWriterStoresIsApplied) {
  // Records a hostile or foreign file may hold: each names a real, writable property, but none
  // that a project stores, or not with that kind.
  const char* records[][4] = {
      {"MethodD", "String", "objectName", "X"},  // later lookups by name would fail
      {"CalKf", "String", "objectName", "Y"},
      {"LD", "String", "objectName", "Z"},
      {"LD", "Ord", "maxLength", "1"},
      {"ProjectD", "Enum", "readOnly", "True"},
      {"FormVELM", "Enum", "enabled", "False"},
      {"AfD", "Enum", "visible", "False"},
      {"CheckList1", "CheckListBox", "Items", "a▲1▲"},
      {"CommentD", "Memo", "Lines", "kind differs from the stored one"},
      {"LU", "Ord", "currentIndex", "2"},  // stored as ItemIndex only
      {"LD", "String", "k", "2"},          // stored, but as Float
  };
  std::vector<const char*> lines;
  for (const auto& r : records) lines.insert(lines.end(), {r[0], r[1], r[2], r[3], "-"});
  lines.insert(lines.end(), {"VD", "String", "Text", "5", "-"});  // and one it does store
  std::string text = kHeader + "\r\n-\r\n-\r\n";
  for (const char* line : lines) text += std::string(line) + "\r\n";
  TTestForm form;
  const auto staged = StageRecordText(&form, Utf8ToGb(text));
  ASSERT_TRUE(staged);
  EXPECT_EQ(staged->FWrites.size(), 1u);
  EXPECT_EQ(staged->FSkipped, static_cast<int>(std::size(records)));
  ApplyStaged(*staged);
  EXPECT_EQ(form.FMethodD->objectName(), "MethodD");
  EXPECT_EQ(form.Field("LD")->maxLength(), 32767);
  EXPECT_FALSE(form.TextField("ProjectD")->isReadOnly());
  EXPECT_TRUE(form.isEnabled());
  EXPECT_EQ(form.FCheckList->item(0)->text(), "一");
  EXPECT_EQ(form.FCommentD->toPlainText(), "");
  EXPECT_EQ(form.FEvents, QStringList({"VD"}));
}

TEST(FormRecordKinds, OverlongValuesAreErrors) {
  const std::string longText(kMaxTextLength + 1, '7');
  const std::string longComment(kMaxCommentLength + 1, 'c');
  for (const auto& [component, kind, property, value] :
       {std::tuple{"ProjectD", "String", "Text", longText},
        std::tuple{"CommentD", "Rich", "Lines", longComment}}) {
    SCOPED_TRACE(component);
    TTestForm form;
    const std::string text = kHeader + "\r\n-\r\n-\r\n" + component + "\r\n" + kind + "\r\n" +
                             property + "\r\n" + value + "\r\n-\r\n";
    EXPECT_THROW(Apply(form, text), TInputError);
  }
  // At the bound a text is still a text.
  TTestForm form;
  EXPECT_TRUE(Apply(form, Records({"ProjectD", "String", "Text",
                                   std::string(kMaxTextLength, '7').c_str(), "-"})));
}

// A record that the end of the file cuts short means the file was truncated: refused, and the
// window keeps its state (no empty lines stand in for the missing ones).
TEST(FormRecordKinds, TrailingIncompleteRecordIsRefused) {
  TTestForm form;
  form.Field("LD")->setText("5");
  EXPECT_THROW(Apply(form, Records({"VD", "String", "Text", "1", "-", "LD", "String", "Text"})),
               TInputError);
  EXPECT_EQ(form.Field("LD")->text(), "5");
  EXPECT_EQ(form.Field("VD")->text(), "");
}

TEST(FormRecordKinds, LoneCrOrLfIsPartOfTheLine) {
  TTestForm form;
  ASSERT_TRUE(Apply(form, Records({"ProjectD", "String", "Text", "a\rb\nc", "-"})));
  EXPECT_EQ(form.TextField("ProjectD")->text().size(), 5);
}

// ---------------------------------------------------------------------------------------------
// Side effects: records go through the setters, in file order

TEST(FormRecordSideEffects, RecordsRunSettersInFileOrder) {
  TTestForm form;
  SetNeedsRecalcHook(&form.FNeedsRecalc);
  ASSERT_TRUE(Apply(
      form, Records({
                "LD",    "String", "Text",    "1",     "-", "LU", "Ord",    "ItemIndex", "1", "-",
                "CalKf", "Enum",   "Checked", "False", "-", "VD", "String", "Text",      "2", "-",
            })));
  SetNeedsRecalcHook(nullptr);
  EXPECT_EQ(form.FEvents, QStringList({"LD", "LU", "CalKf", "VD"}));
  EXPECT_TRUE(form.FNeedsRecalc);
  // Selecting a unit by program leaves the field's number and factor alone.
  EXPECT_EQ(form.Field("LD")->text(), "1");
  EXPECT_DOUBLE_EQ(form.Field("LD")->K(), 1.0);
}

// ---------------------------------------------------------------------------------------------
// Broken values end the reading; what came before stays

TEST(FormRecordErrors, NonNumericFloatChangesNothing) {
  TTestForm form;
  try {
    ReadFormRecordFile(&form, DataFile("nonnumeric_float.vlm"));
    FAIL() << "no error";
  } catch (const TInputError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("“abc”"), std::string::npos) << what;
    EXPECT_NE(what.find("第 12 行"), std::string::npos) << what;
    EXPECT_NE(what.find("LD.k"), std::string::npos) << what;
  }
  // The whole file is converted before anything is applied: the records before the bad one
  // are not applied either.
  EXPECT_EQ(form.Field("LD")->text(), "");
  EXPECT_TRUE(form.FEvents.isEmpty());
}

TEST(FormRecordErrors, ValuesThatDoNotConvert) {
  const char* cases[][3] = {
      {"Ord", "ItemIndex", "1.5"},
      {"Ord", "Color", ""},
      {"Ord", "Color", "99999999999"},  // beyond a 32-bit colour
      {"Enum", "ReadOnly", "1"},
      {"Float", "k", "1,5"},
      {"Float", "k", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c[0]) + " " + c[1] + " '" + c[2] + "'");
    TTestForm form;
    const char* component = std::string(c[1]) == "ItemIndex" ? "LU" : "LD";
    EXPECT_THROW(Apply(form, Records({component, c[0], c[1], c[2], "-"})), TInputError);
  }
}

// ---------------------------------------------------------------------------------------------
// Writing and reading back

// A project with something other than the start value in every stored property.
void FillProject(TTestForm& form) {
  int n = 0;
  for (const auto& [fieldName, selectorName] : test::kFieldsAndSelectors) {
    TEditD* field = form.Field(fieldName);
    TComboBoxU* selector = form.Selector(selectorName);
    ++n;
    if (selector->count() > 1) {
      selector->SetItemIndex(1);
      field->SetKb(selector->itemText(1));
    }
    field->setText(QString::number(n) + ".125");
    field->setReadOnly(true);
    field->SetColor(kColorBtnFace);
  }
  form.Field("dPwaterD")->SetB(273.15);
  // A derived field: group colour, read-only, not-allowed cursor.
  TEditD* lambda = form.Field("LmdD");
  lambda->setText("0.947368421052632");
  lambda->SetColor(kColorSilver);
  lambda->SetCursorNumber(kCursorNotAllowed);
  form.Field("LD")->setReadOnly(false);
  form.Field("LD")->SetColor(kColorWindow);
  form.Field("LD")->setText("");  // an empty input
  form.FAfD->setCurrentIndex(3);
  form.FfpercentD->setCurrentIndex(4);
  form.FfpercentD->setEditText("83");
  form.FPTD->setCurrentIndex(2);
  form.FMethodD->setCurrentIndex(1);
  form.FACLMethodD->setCurrentIndex(3);
  int t = 0;
  for (const char* name : test::kTextFields)
    form.TextField(name)->setText(QString::fromUtf8("项目 ") + QString::number(++t));
  form.TextField("Edit4")->setText("𠀀 & € ü");  // outside GB2312
  form.FCommentD->setPlainText("说明第一行\n\n第三行 ▶ x");
  form.FCalKf->setChecked(false);
}

// Every property the project stores, as text, for comparing two forms.
QStringList StoredState(TTestForm& form) {
  QStringList s;
  for (const auto& [fieldName, selectorName] : test::kFieldsAndSelectors) {
    const TEditD* f = form.Field(fieldName);
    s << QStringLiteral("%1 %2 k=%3 b=%4 ro=%5 color=%6 cursor=%7 %8=%9")
             .arg(fieldName, f->text())
             .arg(f->K(), 0, 'g', 17)
             .arg(f->B(), 0, 'g', 17)
             .arg(f->isReadOnly())
             .arg(f->Color())
             .arg(f->CursorNumber())
             .arg(selectorName)
             .arg(form.Selector(selectorName)->ItemIndex());
  }
  for (QComboBox* list : {form.FAfD, form.FfpercentD, form.FPTD, form.FMethodD, form.FACLMethodD})
    s << list->objectName() + " " + QString::number(list->currentIndex()) + " " +
             list->currentText();
  for (const char* name : test::kTextFields) s << form.TextField(name)->text();
  s << form.FCommentD->toPlainText();
  s << QStringLiteral("CalKf=%1 CalKp=%2")
           .arg(form.FCalKf->isChecked())
           .arg(form.FCalKp->isChecked());
  return s;
}

TEST(FormRecordRoundTrip, WriteThenReadRestoresEveryStoredProperty) {
  TTestForm saved;
  FillProject(saved);
  QTemporaryDir dir;
  const QString path = dir.filePath("project.vlm");
  WriteFormRecordFile(&saved, path);

  TTestForm loaded;
  ASSERT_TRUE(ReadFormRecordFile(&loaded, path));
  EXPECT_EQ(StoredState(loaded), StoredState(saved));
  // The SI values come back too, not only the texts.
  EXPECT_DOUBLE_EQ(loaded.Field("VD")->Value(), saved.Field("VD")->Value());
  EXPECT_DOUBLE_EQ(loaded.Field("dPwaterD")->Value(), saved.Field("dPwaterD")->Value());
}

TEST(FormRecordRoundTrip, SavedFileIsCompressedWithItsLength) {
  TTestForm form;
  FillProject(form);
  QTemporaryDir dir;
  const QString path = dir.filePath("p.vlm");
  WriteFormRecordFile(&form, path);
  const std::string bytes = ReadBytes(path);
  const std::string text = UnpackRecordText(bytes);
  ASSERT_NE(text, bytes);
  const auto s = static_cast<size_t>(static_cast<unsigned char>(bytes[0])) |
                 static_cast<size_t>(static_cast<unsigned char>(bytes[1])) << 8;
  EXPECT_EQ(s, text.size());
  EXPECT_EQ(text.rfind(kHeader + "\r\n", 0), 0u);
  EXPECT_EQ(text, BuildRecordText(&form));
}

TEST(FormRecordRoundTrip, CommentOfThreeLinesIsOneValueLineWithTwoMarks) {
  TTestForm form;
  form.FCommentD->setPlainText("一\n二\n三");
  const std::string text = BuildRecordText(&form);
  // GB2312: 一 D2 BB, 二 B6 FE, 三 C8 FD; the marks A1 F8.
  EXPECT_NE(text.find("CommentD\r\nRich\r\nLines\r\n\xD2\xBB\xA1\xF8\xB6\xFE\xA1\xF8\xC8\xFD\r\n"),
            std::string::npos);
}

// A "▲" of the comment's own comes back as itself; readers of earlier versions, which know
// only the "Rich" record, see a line break there and read everything else as before.
TEST(FormRecordRoundTrip, MarkInTheCommentComesBackAsItself) {
  for (const char* comment : {"up ▲ down\nnext \\ line▲", "▲", "\\▲\\\\", "no mark\n"}) {
    SCOPED_TRACE(comment);
    TTestForm form;
    form.FCommentD->setPlainText(QString::fromUtf8(comment));
    const std::string text = BuildRecordText(&form);
    TTestForm loaded;
    ASSERT_TRUE(Apply(loaded, text));
    EXPECT_EQ(loaded.FCommentD->toPlainText(), form.FCommentD->toPlainText());
    const bool mark = std::string(comment).find("▲") != std::string::npos;
    EXPECT_EQ(text.find("RichExact") != std::string::npos, mark);
    // The record before it is what earlier versions read.
    const std::string rich =
        Utf8ToGb("CommentD\r\nRich\r\nLines\r\n") +
        Utf8ToGb(QString::fromUtf8(comment).replace(QChar('\n'), QChar(0x25B2)).toStdString()) +
        "\r\n";
    EXPECT_NE(text.find(rich), std::string::npos);
  }
}

TEST(FormRecordRoundTrip, LineBreakInsideATextDoesNotShiftTheRecords) {
  TTestForm form;
  form.TextField("ProjectD")->setText("a\r\nb");
  form.TextField("DevicenameD")->setText("next");
  TTestForm loaded;
  ASSERT_TRUE(Apply(loaded, BuildRecordText(&form)));
  EXPECT_EQ(loaded.TextField("DevicenameD")->text(), "next");
}

TEST(FormRecordRoundTrip, FactorsComeBackBitForBit) {
  TTestForm form;
  form.Field("LD")->SetK(1.0 / 3600.0);  // needs 17 digits
  form.Field("VD")->SetK(0.000277777777777);
  TTestForm loaded;
  ASSERT_TRUE(Apply(loaded, BuildRecordText(&form)));
  EXPECT_EQ(loaded.Field("LD")->K(), 1.0 / 3600.0);
  EXPECT_EQ(loaded.Field("VD")->K(), 0.000277777777777);
  EXPECT_NE(BuildRecordText(&form).find("\r\nk\r\n0.000277777777777\r\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Saving fails loudly and keeps the old file

TEST(FormRecordSave, SaveIntoReadOnlyFolderFailsAndKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("old.vlm");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("previous contents");
  old.close();
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
  TTestForm form;
  FillProject(form);
  {
    test::TAsOrdinaryUser asUser;
    try {
      WriteFormRecordFile(&form, path);
      ADD_FAILURE() << "the save reported success";
    } catch (const TFileError& e) {
      EXPECT_NE(std::string(e.what()).find("old.vlm"), std::string::npos) << e.what();
    }
  }
  QFile::setPermissions(dir.path(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  EXPECT_EQ(ReadBytes(path), "previous contents");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"old.vlm"}));
}

TEST(FormRecordSave, SaveIntoMissingFolderFails) {
  TTestForm form;
  QTemporaryDir dir;
  EXPECT_THROW(WriteFormRecordFile(&form, dir.filePath("no/such/folder/p.vlm")), TFileError);
}

// A save killed at any moment leaves the old project or the new one, never anything else.
TEST(FormRecordSave, KilledSaveLeavesTheOldOrTheNewProject) {
  TTestForm a, b;
  test::FillSaveLoopProject(a, false);
  test::FillSaveLoopProject(b, true);
  const std::string bytesA = PackRecordText(BuildRecordText(&a));
  const std::string bytesB = PackRecordText(BuildRecordText(&b));
  QTemporaryDir dir;
  const QString path = dir.filePath("p.vlm");
  WriteFormRecordFile(&a, path);
  std::mt19937 random(9);
  int old = 0, updated = 0;
  for (int trial = 0; trial < 30; ++trial) {
    QProcess saver;
    saver.start(QCoreApplication::applicationFilePath(), {"--save-loop", path});
    ASSERT_TRUE(saver.waitForStarted());
    // Once the saver has replaced A by B, it is saving by turns: kill it at some moment.
    QElapsedTimer waited;
    waited.start();
    while (ReadBytes(path) != bytesB && waited.elapsed() < 20000) QThread::msleep(2);
    QThread::msleep(random() % 40);
    saver.kill();  // SIGKILL
    ASSERT_TRUE(saver.waitForFinished());
    const std::string now = ReadBytes(path);
    ASSERT_TRUE(now == bytesA || now == bytesB) << "trial " << trial << ": " << now.size();
    (now == bytesA ? old : updated)++;
  }
  EXPECT_EQ(old + updated, 30);
  // The temporary files of the killed saves are hidden, and the next save clears them away.
  WriteFormRecordFile(&a, path);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"p.vlm"}));
}

}  // namespace
}  // namespace velm
