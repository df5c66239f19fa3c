// Every window and dialog of the program, built from one table, and every
// text input in each driven by every way text gets in: keys, Ctrl+V,
// Shift+Insert, the context menu, an input-method commit, a drop from a memo
// (what the memo keeps is checked) and the middle button where the platform
// has a selection. Each input keeps its rules: one line (memos keep their
// lines), no character code page 932 cannot hold, named in a message, and
// its byte limit. The table is checked against the source: a window class,
// a form or a Qt dialog the program builds that the table lacks fails it.
//
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
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <set>

namespace {

// ---------------------------------------------------------------- the source

// Qt's widget classes the program's classes derive from; other Qt classes
// the source derives from are no widgets. A base in neither list must be
// placed in one before the test can say what the class is.
const std::set<QString> kQtWidgets = {
    "QWidget", "QDialog", "QMainWindow", "QFrame", "QLineEdit", "QComboBox", "QSpinBox", "QAbstractSpinBox",
    "QSlider", "QPlainTextEdit", "QTextEdit", "QLabel", "QPushButton", "QToolButton", "QTreeWidget", "QTreeView",
    "QListWidget", "QTableWidget", "QGroupBox", "QScrollArea", "QMenu", "QMessageBox", "QFileDialog",
    "QColorDialog", "QInputDialog", "QCheckBox", "QRadioButton", "QTabWidget", "QStackedWidget"};
const std::set<QString> kQtNonWidgets = {"QObject", "QValidator", "QStyledItemDelegate", "QAbstractTableModel",
                                         "QAbstractItemModel", "QAbstractListModel", "QSortFilterProxyModel",
                                         "QThread", "QRunnable", "QEvent", "QIODevice"};
// Qt's own dialogs, which the program builds in functions of its own.
const QStringList kQtDialogs = {"QMessageBox", "QFileDialog", "QColorDialog", "QInputDialog", "QProgressDialog",
                                "QFontDialog", "QPrintDialog", "QPageSetupDialog", "QErrorMessage", "QWizard"};

struct TSourceScan {
    std::set<QString> widgetClasses; // classes of the program that are widgets
    std::set<QString> qtDialogUses;  // "QFileDialog@platform/ui/DialogSeams.cpp"
    std::set<QString> forms;         // "WordSearch" for WordSearch.ui
    QStringList unknownBases;
};

QString WithoutComments(const QString& line)
{
    const qsizetype at = line.indexOf(QStringLiteral("//"));
    return at < 0 ? line : line.left(at);
}

TSourceScan ScanSource()
{
    TSourceScan scan;
    const QString root = QStringLiteral(TELVORA_SOURCE_DIR "/src/");
    static const QRegularExpression classRe(
        QStringLiteral(R"(\bclass\s+(\w+)\s*(?:final\s*)?:\s*(?:public|protected|private)\s+([\w:]+))"));
    // Built: an object of it, one made with new, or one of its static getters.
    const QString names = kQtDialogs.join(u'|');
    static const QRegularExpression qtDialogRe(
        QStringLiteral(R"((?:\b(%1)\s+\w+\s*[\(\{;])|(?:\bnew\s+(%1)\b)|(?:\b(%1)::(?:get\w+|information|warning|critical|question|about)\s*\())")
            .arg(names));
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
        const QString relative = path.mid(root.size());
        for (const QString& raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const QString line = WithoutComments(raw);
            if (line.trimmed().startsWith(u'#'))
                continue;
            for (auto m = classRe.globalMatch(line); m.hasNext();) {
                const auto match = m.next();
                baseOf[match.captured(1)] = match.captured(2);
            }
            for (auto m = qtDialogRe.globalMatch(line); m.hasNext();) {
                const auto match = m.next();
                for (int i = 1; i <= 3; ++i)
                    if (!match.captured(i).isEmpty())
                        scan.qtDialogUses.insert(match.captured(i) + u'@' + relative);
            }
        }
    }
    for (const auto& [name, base] : baseOf) {
        QString b = base;
        while (baseOf.count(b))
            b = baseOf[b];
        if (kQtWidgets.count(b))
            scan.widgetClasses.insert(name);
        else if (b.startsWith(u'Q') && !kQtNonWidgets.count(b))
            scan.unknownBases << name + QStringLiteral(" : ") + b;
    }
    return scan;
}

// Widget classes that are parts of windows, not windows: they are driven
// inside the windows that hold them.
const std::map<QString, const char*> kParts = {
    {"TByteLimitEdit", "an edit of many windows"},
    {"TByteLimitComboBox", "a combo box of many windows"},
    {"TNameEdit", "the name edits of the record and sender windows"},
    {"TTntNMDEdit", "base of TNameEdit"},
    {"TNumEdit", "a spin box of the drawing dialogs"},
    {"TExTrackBar", "a slider of the picture dialog"},
    {"TFramePage", "a page of the figure and text settings"},
    {"TGripPanel", "a grip of the text editor"},
    {"TPreviewBox", "the preview of the open dialog"},
    {"TListingSearchBase", "base of the two listing searches"},
    {"TItemNameEdit", "base of the keyword and protected memo name dialogs"},
    {"TFieldSelect", "base of the export and copy item choices"},
    {"TModalDialog", "base of the modal dialogs"},
};

// ---------------------------------------------------------------- driving

enum class TWay { Keys, PasteKey, ShiftInsert, MenuPaste, Commit, Drop, MiddleButton };
const char* const kWayNames[] = {"keys", "Ctrl+V", "Shift+Insert", "menu paste", "commit", "drop", "middle button"};

// What an input keeps, as its limit and the guard's list say.
struct TRules {
    bool oneLine = true;
    bool codePage = true;
    bool named = true; // a refused character is named in the message
    int maxBytes = 0;
    bool wide = false;
    bool spinBox = false;
    QString exemption;
};

TRules RulesOf(QWidget* input)
{
    TRules r;
    r.exemption = InputExemption(input);
    r.spinBox = qobject_cast<QAbstractSpinBox*>(input->parentWidget()) != nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(input); edit && edit->echoMode() != QLineEdit::Normal)
        r.named = false;
    const TByteLimit* limit = TByteLimit::Of(input);
    EXPECT_NE(limit, nullptr) << "no rules: " << input->objectName().toStdString();
    if (limit) {
        r.oneLine = !limit->Memo();
        r.wide = limit->Wide();
        r.codePage = !r.wide;
        r.maxBytes = limit->MaxBytes();
    }
    return r;
}

QString RulesText(const TRules& r)
{
    QStringList kept;
    kept << (r.oneLine ? QStringLiteral("one line") : QStringLiteral("lines kept (CR LF)"));
    if (r.codePage)
        kept << (r.named ? QStringLiteral("code page 932, a refused character named")
                         : QStringLiteral("code page 932, refused unnamed"));
    else
        kept << QStringLiteral("Unicode (wide)");
    if (r.maxBytes > 0)
        kept << QStringLiteral("at most %1 %2").arg(r.maxBytes).arg(r.wide ? "UTF-16 units" : "bytes");
    return kept.join(QStringLiteral(", "));
}

QString TextOf(QWidget* input)
{
    if (auto* edit = qobject_cast<QLineEdit*>(input))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        return memo->toPlainText();
    return {};
}

void Clear(QWidget* input)
{
    if (auto* edit = qobject_cast<QLineEdit*>(input))
        edit->setText({});
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        memo->setPlainText({});
}

// The length the limit counts: code page 932 bytes (CR LF line breaks) or
// UTF-16 units.
int LengthOf(QWidget* input, bool wide)
{
    QString text = TextOf(input);
    if (qobject_cast<QPlainTextEdit*>(input))
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return TByteLimitEdit::Length(text, wide);
}

// The context menu's paste, whether the menu pops up or runs its own loop.
void MenuPaste(QWidget* focus, QWidget* input)
{
    auto done = std::make_shared<bool>(false);
    auto pick = [done] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (*done || !menu)
            return;
        *done = true;
        for (QAction* action : menu->actions())
            if (action->objectName() == QStringLiteral("edit-paste") || action->text().startsWith(QStringLiteral("&Paste")))
                action->trigger();
        menu->close();
    };
    QTimer::singleShot(0, pick);
    const QPoint at = input->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    const QPoint local = input->mapTo(focus, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, local, focus->mapToGlobal(local));
    QApplication::sendEvent(focus, &menuEvent);
    pick();
}

// A memo of its own window to drag text out of.
QPlainTextEdit& DragSource()
{
    static QPlainTextEdit* source = [] {
        auto* memo = new QPlainTextEdit;
        memo->setObjectName(QStringLiteral("dragSource"));
        return memo;
    }();
    return *source;
}

// Puts text in by a way; for a drop, whether the source kept what it gave
// when the input took less than all of it.
void PutIn(QWidget* focus, QWidget* input, TWay way, const QString& text)
{
    QApplication::clipboard()->setText(text);
    focus->setFocus();
    switch (way) {
    case TWay::Keys: TypeChars(focus, text); break;
    case TWay::PasteKey: QTest::keySequence(focus, QKeySequence::Paste); break;
    case TWay::ShiftInsert: QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier); break;
    case TWay::MenuPaste: MenuPaste(focus, input); break;
    case TWay::Commit: CommitText(focus, text); break;
    case TWay::MiddleButton:
        QApplication::clipboard()->setText(text, QClipboard::Selection);
        QTest::mouseClick(input, Qt::MiddleButton, {}, input->rect().center());
        break;
    case TWay::Drop: {
        QPlainTextEdit& source = DragSource();
        source.setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        source.selectAll();
        const QString given = source.toPlainText();
        const QPoint at = qobject_cast<QPlainTextEdit*>(input) ? QPoint(4, 4) : input->rect().center();
        const Qt::DropAction action = DragSelection(&source, input, at);
        const QString taken = TextOf(input);
        if (action == Qt::MoveAction)
            EXPECT_TRUE(taken.contains(given)) << "a move of what was not all taken";
        else
            EXPECT_EQ(source.toPlainText(), given) << "the source lost what it gave";
        break;
    }
    }
    QCoreApplication::processEvents();
}

struct TInputReport {
    QString window, input, rules, exemption, ways;
};

// The input to drive, found anew before each way (an in-place editor
// closes when it loses the focus and is opened again); nullptr when gone.
using TReach = std::function<QWidget*()>;

// The widget that takes the input's keys: its combo box or spin box, or itself.
QWidget* FocusOf(QWidget* input)
{
    QWidget* parent = input->parentWidget();
    if (qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent))
        return parent;
    return input;
}

// Brought forward and made able to take input, as the user would have it.
void BringForward(QWidget* input)
{
    for (QWidget* w = FocusOf(input); w && w != input->window(); w = w->parentWidget()) {
        if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget()))
            pages->setCurrentWidget(w);
        w->setEnabled(true);
        if (!w->isVisible())
            w->show();
    }
}

bool ReadOnly(QWidget* input)
{
    if (auto* edit = qobject_cast<QLineEdit*>(input))
        return edit->isReadOnly();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        return memo->isReadOnly();
    return true;
}

// Drives one input by every way and checks its rules.
void DriveInput(const QString& window, const TReach& reach, std::vector<TInputReport>& report,
                TMessageRecorder& messages)
{
    QWidget* input = reach();
    if (!input)
        return;
    BringForward(input);
    QWidget* field = FocusOf(input);
    const QString name = field->objectName().isEmpty() ? QString::fromLatin1(field->metaObject()->className())
                                                        : field->objectName();
    const TRules rules = RulesOf(input);
    TInputReport line{window, name + QStringLiteral(" (") + QLatin1String(input->metaObject()->className()) + u')',
                      RulesText(rules), rules.exemption, {}};
    if (ReadOnly(input)) {
        line.exemption = QStringLiteral("read-only here: takes no input");
        report.push_back(line);
        return;
    }
    const bool takesDrops = input->acceptDrops() && !rules.spinBox;
    QStringList ways;
    for (int w = 0; w <= int(TWay::MiddleButton); ++w) {
        const TWay way = TWay(w);
        if (way == TWay::MiddleButton && !QApplication::clipboard()->supportsSelection())
            continue;
        if (way == TWay::Drop && !takesDrops)
            continue;
        ways << QLatin1String(kWayNames[w]);
        const std::string trace = (window + u' ' + name + u' ' + QLatin1String(kWayNames[w])).toStdString();
        SCOPED_TRACE(trace);
        // Each check on the input as it stands now.
        const auto check = [&](const QString& text, const std::function<void(QWidget*)>& expect) {
            QWidget* in = reach();
            ASSERT_NE(in, nullptr) << "the input is gone";
            BringForward(in);
            Clear(in);
            messages.Clear();
            PutIn(FocusOf(in), in, way, text);
            if (QWidget* after = reach())
                expect(after);
        };
        // One line: keys cannot type a line break into a one-line input.
        if (rules.oneLine && way != TWay::Keys)
            check(QStringLiteral("12\r\n34"), [](QWidget* in) {
                const QString text = TextOf(in);
                EXPECT_FALSE(text.contains(u'\r') || text.contains(u'\n') || text.contains(QStringLiteral("34")))
                    << text.toStdString();
            });
        // Code page 932: ♥ refused, and named.
        if (rules.codePage)
            check(QStringLiteral("♥"), [&](QWidget* in) {
                EXPECT_FALSE(TextOf(in).contains(u'♥'));
                EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.Messages().empty(); }, 1000)) << "not told";
                if (!messages.Messages().empty())
                    EXPECT_EQ(messages.LastText().contains(QStringLiteral("「♥」（U+2665）")), rules.named)
                        << messages.LastText().toStdString();
            });
        // The limit, by no way exceeded.
        if (rules.maxBytes > 0)
            check(QString(rules.maxBytes / 2 + 3, rules.wide ? u'x' : u'表'),
                  [&](QWidget* in) { EXPECT_LE(LengthOf(in, rules.wide), rules.maxBytes); });
        messages.Clear();
    }
    line.ways = ways.join(QStringLiteral(", "));
    report.push_back(line);
}

// Every text input of a window, its own and those its pages hold.
QList<QWidget*> TextInputs(QWidget* window)
{
    QList<QWidget*> inputs;
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        inputs << edit;
    for (QPlainTextEdit* memo : window->findChildren<QPlainTextEdit*>())
        inputs << memo;
    for (QTextEdit* rich : window->findChildren<QTextEdit*>()) {
        EXPECT_TRUE(rich->isReadOnly()) << "a rich text input without the rules: " << rich->objectName().toStdString();
        inputs << rich;
    }
    return inputs;
}

// ---------------------------------------------------------------- the table

class EveryWindow : public RecordWindowOnBook {
public:
    TFakeAddressList& Rows() { return list; }
    TDataInquiry* RecordWindow() { return window; }
    // A window the test owns, shown.
    QWidget* keep(QWidget* w)
    {
        owned.emplace_back(w);
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
    void DriveInput(const QString& entry, const TReach& reach) { ::DriveInput(entry, reach, report, messages); }
    void driveWindow(const QString& entry, QWidget* window)
    {
        const QList<QWidget*> inputs = TextInputs(window);
        for (QWidget* input : inputs) {
            if (qobject_cast<QTextEdit*>(input))
                report.push_back({entry, input->objectName(), QString(), InputExemption(input), QString()});
            else
                DriveInput(entry, [p = QPointer<QWidget>(input)] { return p.data(); });
        }
        if (inputs.isEmpty())
            report.push_back({entry, QStringLiteral("(no text input)"), {}, {}, {}});
    }

protected:
    void SetUp() override
    {
        RecordWindowOnBook::SetUp();
        SetPrintDataPath(layouts.path());
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
        previousPrinterSetup = SetPrinterSetupHandler({});
        previousFileDialog = SetFileDialogHandler({});
        previousColorDialog = SetColorDialogHandler({});
    }
    void TearDown() override
    {
        SetColorDialogHandler(previousColorDialog);
        SetFileDialogHandler(previousFileDialog);
        SetPrinterSetupHandler(previousPrinterSetup);
        Printer().ClearVirtualPrinters();
        SetPrintDataPath(QString());
        RecordWindowOnBook::TearDown();
    }

    QTemporaryDir layouts;
    std::vector<std::unique_ptr<QWidget>> owned;
    std::vector<TInputReport> report;
    TPrinterSetupHandler previousPrinterSetup;
    TFileDialogHandler previousFileDialog;
    TColorDialogHandler previousColorDialog;
};

struct TWindowEntry {
    const char* name; // the class, or the Qt dialog and the file that builds it
    const char* form; // its .ui form, if it has one
    std::function<void(EveryWindow&, const QString&)> drive;
};

// Builds a window with a constructor of (owner) and drives it.
template <class W>
std::function<void(EveryWindow&, const QString&)> Plain()
{
    return [](EveryWindow& bench, const QString& name) {
        QWidget* w = bench.keep(new W(nullptr));
        bench.driveWindow(name, w);
    };
}

// The dialog, then the list's in-place rename editor, opened again
// whenever it closed.
void DriveWithRenameEditor(EveryWindow& bench, const QString& name, QDialog* dialog, TPrintDataList* files)
{
    bench.driveWindow(name, dialog);
    auto* lv = dialog->findChild<QTreeWidget*>(QStringLiteral("lvFile"));
    ASSERT_NE(lv, nullptr);
    ASSERT_GT(lv->topLevelItemCount(), 0);
    const auto editor = [lv, files]() -> QWidget* {
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
    bench.DriveInput(name + QStringLiteral(" (in-place rename)"), editor);
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
             EveryWindow& t = b;
             auto* main = static_cast<TAddressList*>(t.keep(new TAddressList));
             for (const char* action : {"actNewAdrsBook", "actOpenAdrsBook"})
                 t.runModal(n + QLatin1Char(' ') + QLatin1String(action),
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
             std::unique_ptr<TMapView> view = Integrations().CreateMapView(0, nullptr);
             auto* w = dynamic_cast<QWidget*>(view.get());
             ASSERT_NE(w, nullptr);
             view.release();
             b.driveWindow(n, b.keep(w));
         }},
        {"TRouteStandIn", nullptr,
         [](EveryWindow& b, const QString& n) {
             std::unique_ptr<TRouteWindow> route = Integrations().CreateRouteWindow(0, nullptr);
             auto* w = dynamic_cast<QWidget*>(route.get());
             ASSERT_NE(w, nullptr);
             route.release();
             b.driveWindow(n, b.keep(w));
         }},
        // records
        {"TDataInquiry", "DtInqiry",
         [](EveryWindow& b, const QString& n) {
             EveryWindow& t = b;
             t.RecordWindow()->SetSourceMode(TDataInquiry::smAddressList);
             TAdrsRecord r;
             ASSERT_TRUE(t.Rows().ReadRecordAt(0, r));
             t.RecordWindow()->ShowInquiry(r);
             t.RecordWindow()->show();
             t.driveWindow(n, t.RecordWindow());
         }},
        {"TAddressCopy", "AdrsCopy",
         [](EveryWindow& b, const QString& n) {
             EveryWindow& t = b;
             auto* main = static_cast<TAddressList*>(t.keep(new TAddressList));
             t.driveWindow(n, t.keep(new TAddressCopy(*main)));
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
        {"TPrintDataOpenDialog", nullptr,
         [](EveryWindow& b, const QString& n) {
             auto* d = static_cast<TPrintDataOpenDialog*>(b.keep(new TPrintDataOpenDialog));
             d->SetPrintKind(pdLabel);
             DriveWithRenameEditor(b, n, d, d->Files());
         }},
        {"TPrintDataSaveDialog", nullptr,
         [](EveryWindow& b, const QString& n) {
             auto* d = static_cast<TPrintDataSaveDialog*>(b.keep(new TPrintDataSaveDialog));
             d->SetPrintKind(pdLabel);
             DriveWithRenameEditor(b, n, d, d->Files());
         }},
        {"TPrintMenuDialog", nullptr, Plain<TPrintMenuDialog>()},
        {"TQRCodeSettingDialog", nullptr, Plain<TQRCodeSettingDialog>()},
        {"TWordEditDialog", "WordEditDialog", Plain<TWordEditDialog>()},
        {"TWordSettingDialog", nullptr, Plain<TWordSettingDialog>()},
        // platform/ui: the message box, file, colour and printer dialogs
        {"QMessageBox@platform/ui/MessageBox.cpp", nullptr,
         [](EveryWindow& b, const QString& n) {
             EveryWindow& t = b;
             const TMessageBoxHandler recorder = SetMessageBoxHandler({});
             t.runModal(n, [] { ShowMessage(nullptr, QStringLiteral("表ソ"), MB_OK); });
             SetMessageBoxHandler(recorder);
         }},
        {"QFileDialog@platform/ui/DialogSeams.cpp", nullptr,
         [](EveryWindow& b, const QString& n) {
             b.runModal(n, [] { GetOpenFileName(nullptr, QStringLiteral("開く"), QDir::tempPath(), QString()); });
         }},
        {"QColorDialog@platform/ui/ColorDialog.cpp", nullptr,
         [](EveryWindow& b, const QString& n) {
             b.runModal(n, [] { ChooseColor(nullptr, Qt::red); });
         }},
        {"TPrinterSetupDialog", nullptr,
         [](EveryWindow& b, const QString& n) { b.runModal(n, [] { ExecutePrinterSetup(nullptr); }); }},
    };
}

} // namespace

// The table against the source: every window class, form and Qt dialog the
// program builds has its entry (or is named a part of a window).
TEST(EveryWindowSource, TheTableHoldsEveryWindowDialogAndFormOfTheSource)
{
    const TSourceScan scan = ScanSource();
    EXPECT_TRUE(scan.unknownBases.isEmpty()) << scan.unknownBases.join(u' ').toStdString();
    std::set<QString> entries, forms;
    for (const TWindowEntry& e : Table()) {
        entries.insert(QLatin1String(e.name));
        if (e.form)
            forms.insert(QLatin1String(e.form));
    }
    QStringList missing;
    for (const QString& cls : scan.widgetClasses)
        if (!entries.count(cls) && !kParts.count(cls))
            missing << cls;
    for (const QString& use : scan.qtDialogUses)
        if (!entries.count(use))
            missing << use;
    for (const QString& form : scan.forms)
        if (!forms.count(form))
            missing << form + QStringLiteral(".ui");
    EXPECT_TRUE(missing.isEmpty()) << "not in the table: " << missing.join(u' ').toStdString();
    QStringList stale;
    for (const QString& e : entries)
        if (!scan.widgetClasses.count(e) && !scan.qtDialogUses.count(e))
            stale << e;
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
