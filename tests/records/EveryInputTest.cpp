// Every window and dialog of the program, built from one table that is
// checked against the source (a window class, a form or a Qt dialog the
// program builds that the table lacks fails it), and every text input in each
// driven by every way text gets in (TArrival; a drop checks what its source
// keeps). Each input keeps one line (memos keep their lines), code page 932
// with a refused character named, and its limit.
// TELVORA_INPUT_LIST=<file> writes the inputs driven, with the rules each
// keeps and the reason for any it keeps otherwise.

#include "RecordWindowFixture.h"
#include "core/ui/AddressSearch.h"
#include "core/ui/AdrsList.h"
#include "core/ui/DuplicateSearch.h"
#include "core/ui/GroupEdit.h"
#include "core/ui/HeaderSelect.h"
#include "core/ui/SettingsDialog.h"
#include "core/ui/WordSearch.h"
#include "drawing/dialogs/AdditionInfoDialog.h"
#include "drawing/dialogs/DataFormDialog.h"
#include "drawing/dialogs/FigureSettingDialog.h"
#include "drawing/dialogs/FrameFontDialog.h"
#include "drawing/dialogs/IllustSettingDialog.h"
#include "drawing/dialogs/LayoutDetailDialog.h"
#include "drawing/dialogs/LytPrt.h"
#include "drawing/dialogs/PrintDataList.h"
#include "drawing/dialogs/PrintDataOpenDialog.h"
#include "drawing/dialogs/PrintDataSaveDialog.h"
#include "drawing/dialogs/PrintMenuDialog.h"
#include "drawing/dialogs/QRCodeSettingDialog.h"
#include "drawing/dialogs/WordEditDialog.h"
#include "drawing/dialogs/WordSettingDialog.h"
#include "drawing/objects/PrintDataFile.h"
#include "integrations/AddExtURL.h"
#include "integrations/MapServices.h"
#include "integrations/QRCodeMap.h"
#include "integrations/WebSearch.h"
#include "listing_search/CtgrySch.h"
#include "listing_search/DicSch.h"
#include "listing_search/FieldSelect.h"
#include "listing_search/NmAdSch.h"
#include "listing_search/TntNameDic.h"
#include "platform/Printer.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/DialogSeams.h"
#include "platform/ui/InputGuard.h"
#include "platform/ui/PrinterSetup.h"
#include "records/AdrsCopy.h"
#include "records/CopyItemSet.h"
#include "records/InputList.h"
#include "records/KeywordEdit.h"
#include "records/ProtectMemoEdit.h"
#include "records/SenderForm.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <set>

namespace {

// Qt classes the program's classes derive from that are no widgets: a class
// on any other Qt base is taken for a widget, to be listed below.
const QStringList kQtNonWidgets = QStringLiteral("QObject QValidator QStyledItemDelegate QAbstractTableModel "
                                                 "QAbstractItemModel QAbstractListModel QSortFilterProxyModel QThread "
                                                 "QRunnable QEvent QIODevice").split(u' ');
// Qt's own dialogs, which the program builds in functions of its own.
const QString kQtDialogs = QStringLiteral("QMessageBox|QFileDialog|QColorDialog|QInputDialog|QProgressDialog|"
                                          "QFontDialog|QPrintDialog|QPageSetupDialog|QErrorMessage|QWizard");

struct TSourceScan {
    std::set<QString> widgetClasses; // classes of the program that are widgets
    std::set<QString> qtDialogUses;  // "QFileDialog@platform/ui/DialogSeams.cpp"
    std::set<QString> forms;         // "WordSearch" for WordSearch.ui
};

TSourceScan ScanSource()
{
    TSourceScan scan;
    const QString root = QStringLiteral(TELVORA_SOURCE_DIR "/src/");
    static const QRegularExpression classRe(
        QStringLiteral(R"(\bclass\s+(\w+)\s*(?:final\s*)?:\s*(?:public|protected|private)\s+([\w:]+))"));
    // Built: an object of it, one made with new, or one of its static getters.
    static const QRegularExpression qtDialogRe(
        QStringLiteral(R"((?:\b(%1)\s+\w+\s*[\(\{;])|(?:\bnew\s+(%1)\b)|(?:\b(%1)::(?:get\w+|information|warning|critical|question|about)\s*\())")
            .arg(kQtDialogs));
    std::map<QString, QString> baseOf;
    QDirIterator files(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.ui")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (path.endsWith(QStringLiteral(".ui"))) {
            scan.forms.insert(QFileInfo(path).completeBaseName());
            continue;
        }
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        for (const QString& raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const QString line = raw.left(raw.indexOf(QStringLiteral("//"))); // without its comment
            if (line.trimmed().startsWith(u'#'))
                continue;
            for (auto m = classRe.globalMatch(line); m.hasNext();) {
                const auto match = m.next();
                baseOf[match.captured(1)] = match.captured(2);
            }
            for (auto m = qtDialogRe.globalMatch(line); m.hasNext();) {
                const auto match = m.next();
                scan.qtDialogUses.insert(match.captured(match.lastCapturedIndex()) + u'@' + path.mid(root.size()));
            }
        }
    }
    for (const auto& [name, base] : baseOf) {
        QString b = base;
        while (baseOf.count(b))
            b = baseOf[b];
        if (b.startsWith(u'Q') && !kQtNonWidgets.contains(b))
            scan.widgetClasses.insert(name);
    }
    return scan;
}

// Widget classes that are parts of windows, driven inside the windows that hold them.
const std::map<QString, const char*> kParts = {
    {"TByteLimitEdit", "an edit of many windows"}, {"TByteLimitComboBox", "a combo box of many windows"},
    {"TNameEdit", "the name edits of the record and sender windows"}, {"TTntNMDEdit", "base of TNameEdit"},
    {"TNumEdit", "a spin box of the drawing dialogs"}, {"TExTrackBar", "a slider of the picture dialog"},
    {"TFramePage", "a page of the figure and text settings"}, {"TGripPanel", "a grip of the text editor"},
    {"TPreviewBox", "the preview of the open dialog"}, {"TListingSearchBase", "base of the two listing searches"},
    {"TItemNameEdit", "base of the keyword and protected memo name dialogs"},
    {"TFieldSelect", "base of the export and copy item choices"}, {"TModalDialog", "base of the modal dialogs"},
};

// What an input keeps, as its limit and the guard's list say, and as listed.
struct TRules {
    bool oneLine = true, codePage = true, named = true, wide = false;
    int maxBytes = 0;
    QString text;
};

TRules RulesOf(QWidget* input)
{
    TRules r;
    auto* edit = qobject_cast<QLineEdit*>(input);
    r.named = !edit || edit->echoMode() == QLineEdit::Normal; // a password's character is not shown
    const TByteLimit* limit = TByteLimit::Of(input);
    EXPECT_NE(limit, nullptr) << "no rules: " << input->objectName().toStdString();
    if (limit) {
        r.oneLine = !limit->Memo();
        r.wide = limit->Wide();
        r.codePage = !r.wide;
        r.maxBytes = limit->MaxBytes();
    }
    QStringList kept{r.oneLine ? QStringLiteral("one line") : QStringLiteral("lines kept (CR LF)")};
    kept << (r.wide    ? QStringLiteral("Unicode (wide)")
             : r.named ? QStringLiteral("code page 932, a refused character named")
                       : QStringLiteral("code page 932, refused unnamed"));
    if (r.maxBytes > 0)
        kept << QStringLiteral("at most %1 %2").arg(r.maxBytes).arg(r.wide ? "UTF-16 units" : "bytes");
    r.text = kept.join(QStringLiteral(", "));
    return r;
}

// The widget that takes the input's keys: its combo box or spin box, or itself.
QWidget* FocusOf(QWidget* input)
{
    QWidget* parent = input->parentWidget();
    return qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent) ? parent : input;
}

// Brought forward and made able to take input, as the user would have it.
void BringForward(QWidget* input)
{
    for (QWidget* w = FocusOf(input); w && w != input->window(); w = w->parentWidget()) {
        if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget()))
            pages->setCurrentWidget(w);
        w->setEnabled(true);
        w->show();
    }
}

struct TInputReport {
    QString window, input, rules, exemption, ways;
};

// The input to drive, found anew before each way (an in-place editor closes
// when it loses the focus and is opened again); nullptr when gone.
using TReach = std::function<QWidget*()>;

// Drives one input by every way in and checks its rules.
TInputReport DriveInput(const QString& window, const TReach& reach, TMessageRecorder& messages)
{
    QWidget* input = reach();
    BringForward(input);
    const QString kind = QLatin1String(input->metaObject()->className());
    const QString name = FocusOf(input)->objectName().isEmpty() ? QLatin1String(FocusOf(input)->metaObject()->className())
                                                                : FocusOf(input)->objectName();
    const TRules rules = RulesOf(input);
    TInputReport line{window, name + QStringLiteral(" (") + kind + u')', rules.text, InputExemption(input), {}};
    if (input->property("readOnly").toBool()) {
        line.exemption = QStringLiteral("read-only here: takes no input");
        return line;
    }
    const bool takesDrops = input->acceptDrops() && !qobject_cast<QAbstractSpinBox*>(input->parentWidget());
    QStringList ways;
    for (const TArrival way : {TArrival::Keys, TArrival::PasteKey, TArrival::ShiftInsert, TArrival::MenuPaste,
                               TArrival::Commit, TArrival::Drop, TArrival::MiddleButton}) {
        const int w = int(way);
        if ((way == TArrival::MiddleButton && !QApplication::clipboard()->supportsSelection()) ||
            (way == TArrival::Drop && !takesDrops))
            continue;
        ways << QLatin1String(kArrivalNames[w]);
        SCOPED_TRACE((window + u' ' + name + u' ' + QLatin1String(kArrivalNames[w])).toStdString());
        // Each check on the input as it stands now, emptied.
        const auto check = [&](const QString& text, const std::function<void(QWidget*)>& expect) {
            QWidget* in = reach();
            ASSERT_NE(in, nullptr) << "the input is gone";
            BringForward(in);
            in->setProperty(qobject_cast<QLineEdit*>(in) ? "text" : "plainText", QString());
            messages.Clear();
            FocusOf(in)->setFocus();
            Arrive(FocusOf(in), in, way, text);
            if (QWidget* after = reach())
                expect(after);
        };
        if (rules.oneLine && way != TArrival::Keys) // keys type no line break into a one-line input
            check(QStringLiteral("12\r\n34"), [](QWidget* in) {
                // The first line, as far as the input's own length and validator take it.
                const QString text = TextOf(in);
                auto* edit = qobject_cast<QLineEdit*>(in);
                QString first = QStringLiteral("12").left(edit ? edit->maxLength() : 2);
                int at = 0;
                if (!edit || !edit->validator() || edit->validator()->validate(first, at) == QValidator::Acceptable)
                    EXPECT_TRUE(text.startsWith(first)) << text.toStdString();
                EXPECT_FALSE(text.contains(u'\r') || text.contains(u'\n') || text.contains(QStringLiteral("34")))
                    << text.toStdString();
            });
        check(QStringLiteral("♥"), [&](QWidget* in) { // refused and named, or kept by a wide input without a word
            EXPECT_NE(TextOf(in).contains(u'♥'), rules.codePage);
            if (!rules.codePage) {
                EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
                return;
            }
            EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.Messages().empty(); }, 1000)) << "not told";
            EXPECT_EQ(messages.LastText().contains(rules.named ? QStringLiteral("「♥」（U+2665）") : QStringLiteral("♥")),
                      rules.named);
        });
        if (rules.maxBytes > 0)
            check(QString(rules.maxBytes / 2 + 3, rules.wide ? u'x' : u'表'),
                  [&](QWidget* in) { EXPECT_LE(TByteLimitEdit::Length(TextOf(in), rules.wide), rules.maxBytes); });
        messages.Clear();
    }
    line.ways = ways.join(QStringLiteral(", "));
    return line;
}

class EveryWindow : public RecordWindowOnBook {
public:
    using RecordWindowOnBook::showRow;
    using RecordWindowOnBook::window;

    // A window the test owns, shown.
    QWidget* keep(QWidget* w)
    {
        EXPECT_NE(w, nullptr);
        owned.emplace_back(w);
        if (w)
            w->show();
        return w;
    }
    // A modal dialog the program builds in a function: driven while it runs.
    void runModal(const QString& entry, const std::function<void()>& open)
    {
        bool reached = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr) << entry.toStdString();
            reached = true;
            driveWindow(entry, dialog);
            if (auto* d = qobject_cast<QDialog*>(dialog))
                d->reject();
            else
                dialog->close();
        });
        open();
        EXPECT_TRUE(reached) << entry.toStdString();
    }
    void drive(const QString& entry, const TReach& reach)
    {
        if (reach())
            report.push_back(DriveInput(entry, reach, messages));
    }
    void driveWindow(const QString& entry, QWidget* w)
    {
        if (!w)
            return;
        QList<QWidget*> inputs;
        for (QLineEdit* edit : w->findChildren<QLineEdit*>())
            inputs << edit;
        for (QPlainTextEdit* memo : w->findChildren<QPlainTextEdit*>())
            inputs << memo;
        for (QTextEdit* rich : w->findChildren<QTextEdit*>()) {
            EXPECT_TRUE(rich->isReadOnly()) << "a rich text input without the rules: " << rich->objectName().toStdString();
            report.push_back({entry, rich->objectName(), {}, InputExemption(rich), {}});
        }
        for (QWidget* input : inputs)
            drive(entry, [p = QPointer<QWidget>(input)] { return p.data(); });
        if (inputs.isEmpty() && w->findChildren<QTextEdit*>().isEmpty())
            report.push_back({entry, QStringLiteral("(no text input)"), {}, {}, {}});
    }

protected:
    void SetUp() override
    {
        RecordWindowOnBook::SetUp();
        SetPrintDataPath(layouts.path()); // a layout to open, save over and rename
        QDir().mkpath(PrintDataFolder(pdLabel));
        QFile layout(PrintDataFolder(pdLabel) + QStringLiteral("表ソ能") + PrintDataExtension(pdLabel));
        ASSERT_TRUE(layout.open(QIODevice::WriteOnly));
        layout.write(PrintDataIdentifierBytes(pdLabel) + QByteArray(64, '\0'));
        layout.close();
        TPrinterDevice device; // a printer to set up
        device.name = QStringLiteral("PDF 600");
        device.dpiX = device.dpiY = 600;
        device.papers = {{43, QStringLiteral("はがき"), 1000, 1480}};
        device.defaultPaper = 43;
        device.isVirtual = true;
        device.outputFile = layouts.filePath(QStringLiteral("page.pdf"));
        Printer().AddVirtualPrinter(device);
    }
    void TearDown() override
    {
        Printer().ClearVirtualPrinters();
        SetPrintDataPath(QString());
        RecordWindowOnBook::TearDown();
    }

    QTemporaryDir layouts;
    std::vector<std::unique_ptr<QWidget>> owned;
    std::vector<TInputReport> report;
};

using TDrive = std::function<void(EveryWindow&, const QString&)>;

struct TWindowEntry {
    const char* name; // the class, or the Qt dialog and the file that builds it
    const char* form; // its .ui form, if it has one
    TDrive drive;
};

// A window built with a constructor of (owner).
template <class W>
TDrive Plain()
{
    return [](EveryWindow& b, const QString& name) { b.driveWindow(name, b.keep(new W(nullptr))); };
}

// A dialog the program builds in a function of its own, driven while it runs.
TDrive Modal(const std::function<void()>& open)
{
    return [open](EveryWindow& b, const QString& name) { b.runModal(name, open); };
}

// A layout dialog, then its list's in-place rename editor, opened again whenever it closed.
template <class D>
TDrive WithRenameEditor()
{
    return [](EveryWindow& b, const QString& name) {
        auto* dialog = static_cast<D*>(b.keep(new D));
        dialog->SetPrintKind(pdLabel);
        b.driveWindow(name, dialog);
        QTreeWidget* lv = dialog->template findChild<QTreeWidget*>(QStringLiteral("lvFile"));
        ASSERT_TRUE(lv && lv->topLevelItemCount() > 0);
        const auto editor = [lv, files = dialog->Files()]() -> QWidget* {
            if (QLineEdit* open = lv->viewport()->findChild<QLineEdit*>(); open && open->isVisible())
                return open;
            QCoreApplication::processEvents(); // a rename the editor ended
            lv->setCurrentItem(lv->topLevelItem(0));
            files->StartRename();
            QLineEdit* opened = lv->viewport()->findChild<QLineEdit*>();
            if (opened)
                opened->setObjectName(QStringLiteral("renameEditor"));
            return opened;
        };
        ASSERT_NE(editor(), nullptr) << "no in-place editor";
        b.drive(name + QStringLiteral(" (in-place rename)"), editor);
    };
}

std::vector<TWindowEntry> Table()
{
    return {
        // core/ui
        {"TAddressList", "AdrsList", Plain<TAddressList>()},
        {"TAddressSearch", nullptr, Plain<TAddressSearch>()},
        {"TDuplicateSearch", "DuplicateSearch", Plain<TDuplicateSearch>()},
        {"TGroupEdit", "GroupEdit", Plain<TGroupEdit>()},
        {"THeaderSelect", "HeaderSelect", Plain<THeaderSelect>()},
        {"TSettingsDialog", nullptr, Plain<TSettingsDialog>()},
        {"TWordSearch", "WordSearch", Plain<TWordSearch>()},
        {"QInputDialog@core/ui/AdrsList.cpp", nullptr,
         [](EveryWindow& b, const QString& n) {
             QWidget* main = b.keep(new TAddressList);
             for (const char* action : {"actNewAdrsBook", "actOpenAdrsBook"})
                 b.runModal(n + u' ' + QLatin1String(action),
                            [main, action] { main->findChild<QAction*>(QLatin1String(action))->trigger(); });
         }},
        // listing_search
        {"TDicSearch", "DicSch", Plain<TDicSearch>()},
        {"TExportItemSelect", "FieldSelect", Plain<TExportItemSelect>()},
        {"TNameAdrsSearch", "NmAdSch", Plain<TNameAdrsSearch>()},
        {"TCategorySearch", "CtgrySch", Plain<TCategorySearch>()},
        {"TTntNameDic", nullptr, Plain<TTntNameDic>()},
        // integrations
        {"TAddExtURL", nullptr, Plain<TAddExtURL>()},
        {"TQRCodeMap", nullptr, Plain<TQRCodeMap>()},
        {"TWebSearch", nullptr, Plain<TWebSearch>()},
        {"TMapStandInView", nullptr,
         [](EveryWindow& b, const QString& n) {
             b.driveWindow(n, b.keep(dynamic_cast<QWidget*>(Integrations().CreateMapView(0, nullptr).release())));
         }},
        {"TRouteStandIn", nullptr,
         [](EveryWindow& b, const QString& n) {
             b.driveWindow(n, b.keep(dynamic_cast<QWidget*>(Integrations().CreateRouteWindow(0, nullptr).release())));
         }},
        // records
        {"TDataInquiry", "DtInqiry",
         [](EveryWindow& b, const QString& n) {
             b.showRow(0);
             b.window->show();
             b.driveWindow(n, b.window);
         }},
        {"TAddressCopy", "AdrsCopy",
         [](EveryWindow& b, const QString& n) {
             auto* main = static_cast<TAddressList*>(b.keep(new TAddressList));
             b.driveWindow(n, b.keep(new TAddressCopy(*main)));
         }},
        {"TInputList", "InputList", Plain<TInputList>()},
        {"TKeywordEdit", "KeywordEdit", Plain<TKeywordEdit>()},
        {"TProtectMemoEdit", "ProtectMemoEdit", Plain<TProtectMemoEdit>()},
        {"TCopyItemSet", nullptr, Plain<TCopyItemSet>()},
        {"TSenderForm", "SenderForm", Plain<TSenderForm>()},
        // drawing/dialogs
        {"TAdditionInfoDialog", nullptr, Plain<TAdditionInfoDialog>()},
        {"TDataFormDialog", "DataFormDialog", Plain<TDataFormDialog>()},
        {"TFigureSettingDialog", nullptr, Plain<TFigureSettingDialog>()},
        {"TLayoutFontDialog", "FrameFontDialog", Plain<TLayoutFontDialog>()},
        {"TIllustSettingDialog", nullptr, Plain<TIllustSettingDialog>()},
        {"TLayoutDetailDialog", "LayoutDetailDialog", Plain<TLayoutDetailDialog>()},
        {"TLayoutPrintDialog", "LytPrt", Plain<TLayoutPrintDialog>()},
        {"TPrintDataOpenDialog", nullptr, WithRenameEditor<TPrintDataOpenDialog>()},
        {"TPrintDataSaveDialog", nullptr, WithRenameEditor<TPrintDataSaveDialog>()},
        {"TPrintMenuDialog", nullptr, Plain<TPrintMenuDialog>()},
        {"TQRCodeSettingDialog", nullptr, Plain<TQRCodeSettingDialog>()},
        {"TWordEditDialog", "WordEditDialog", Plain<TWordEditDialog>()},
        {"TWordSettingDialog", nullptr, Plain<TWordSettingDialog>()},
        // platform/ui: the message box, file, colour and printer dialogs
        {"QMessageBox@platform/ui/MessageBox.cpp", nullptr,
         [](EveryWindow& b, const QString& n) {
             const TMessageBoxHandler recorder = SetMessageBoxHandler({}); // the box itself, shown
             b.runModal(n, [] { ShowMessage(nullptr, QStringLiteral("表ソ"), MB_OK); });
             SetMessageBoxHandler(recorder);
         }},
        {"QFileDialog@platform/ui/DialogSeams.cpp", nullptr,
         Modal([] { GetOpenFileName(nullptr, QStringLiteral("開く"), QDir::tempPath(), QString()); })},
        {"QColorDialog@platform/ui/ColorDialog.cpp", nullptr, Modal([] { ChooseColor(nullptr, Qt::red); })},
        {"TPrinterSetupDialog", nullptr, Modal([] { ExecutePrinterSetup(nullptr); })},
    };
}

} // namespace

// The table against the source: every window class, form and Qt dialog the
// program builds has its entry (or is named a part of a window).
TEST(EveryWindowSource, TheTableHoldsEveryWindowDialogAndFormOfTheSource)
{
    const TSourceScan scan = ScanSource();
    std::set<QString> entries, forms;
    for (const TWindowEntry& e : Table()) {
        entries.insert(QLatin1String(e.name));
        if (e.form)
            forms.insert(QLatin1String(e.form));
    }
    QStringList missing, stale;
    for (const QString& cls : scan.widgetClasses)
        if (!entries.count(cls) && !kParts.count(cls))
            missing << cls;
    for (const QString& use : scan.qtDialogUses)
        if (!entries.count(use))
            missing << use;
    for (const QString& form : scan.forms)
        if (!forms.count(form))
            missing << form + QStringLiteral(".ui");
    for (const QString& e : entries)
        if (!scan.widgetClasses.count(e) && !scan.qtDialogUses.count(e))
            stale << e;
    EXPECT_TRUE(missing.isEmpty()) << "not in the table: " << missing.join(u' ').toStdString();
    EXPECT_TRUE(stale.isEmpty()) << "in the table, not in the source: " << stale.join(u' ').toStdString();
    EXPECT_GT(scan.widgetClasses.size(), 40u);
}

TEST_F(EveryWindow, EveryTextInputOfEveryWindowKeepsItsRulesByEveryWayIn)
{
    for (const TWindowEntry& e : Table()) {
        SCOPED_TRACE(e.name);
        e.drive(*this, QLatin1String(e.name));
        owned.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int driven = 0;
    QStringList lines{QStringLiteral("window | input | rules kept | kept otherwise, and why | ways")};
    for (const TInputReport& r : report) {
        lines << QStringList{r.window, r.input, r.rules, r.exemption, r.ways}.join(QStringLiteral(" | "));
        driven += r.ways.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(driven, 150);
    if (const QByteArray path = qgetenv("TELVORA_INPUT_LIST"); !path.isEmpty()) {
        QFile out(QString::fromLocal8Bit(path));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(lines.join(u'\n').toUtf8() + '\n');
    }
}
