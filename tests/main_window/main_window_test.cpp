// The main window: its state at start, the converter offer, choosing a folder, the control
// rules, and jobs run from OK.
#include "brakwen_application.h"
#include "dirinput.h"
#include "eps_directory_listing.h"
#include "labeled_edit.h"
#include "main.h"
#include "message_box_answer.h"
#include "name_width_meter.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPdfWriter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <fcntl.h>
#include <memory>
#include <qpa/qwindowsysteminterface.h>
#include <stdexcept>
#include <sys/stat.h>
#include <typeinfo>
#include <unistd.h>

namespace {

void writeFile(const QByteArray &path, const QByteArray &contents)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, contents.constData(), size_t(contents.size())), contents.size());
    QCOMPARE(::close(fd), 0);
}

QByteArray readFile(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

bool exists(const QByteArray &path)
{
    return ::access(path.constData(), F_OK) == 0;
}

QStringList texts(QListView *view)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        result << view->model()->index(row, 0).data().toString();
    return result;
}

void selectRow(QListView *view, int row)
{
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect);
}

// As the window system delivers a double-click: a click, then a second press that is the
// double-click, then its release.
void doubleClick(QListView *view, const QModelIndex &index, Qt::KeyboardModifiers modifiers = {})
{
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, modifiers, at);
}

// The values a progress bar was drawn with, each once, in order.
class PaintedValues : public QObject
{
public:
    explicit PaintedValues(QProgressBar *bar) : m_bar(bar) { bar->installEventFilter(this); }
    QString values;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QString value = QStringLiteral(" %1").arg(m_bar->value());
        if (event->type() == QEvent::Paint && !values.endsWith(value))
            values += value;
        return QObject::eventFilter(watched, event);
    }

private:
    QProgressBar *m_bar;
};

struct ChooserCall
{
    TFrmChooseDirectory *dialog = nullptr;
    QString caption, okText, cancelText, directory;
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void initialState();
    void captionsKeepToTheirBoxes();
    void tabOrder();
    void everyControlHasAName();
    void everyObjectKnowsItsOwnClass();
    void glyphsStaySharpAndVisible();
    void converterOffer_data();
    void converterOffer();
    void noHandlerOrRuleAtStart();
    void quitButtonClosesWindow();
    void keyboardPressesButtons();
    void keyboardAndDoubleClickDoTheGlyphButtonsWork();

    void choosingListsFolderAndAppliesRules();
    void cancelClearsSelectionAndListsAgain();
    void cancelWithEmptyDirectoryListsRootAndKeepsBaseNameDisabled();
    void chooserErrorKeepsListsAndShowsBox();
    void emptyBaseNameLocksListsOnly();
    void listsScrollSidewaysForLongNamesOnly();
    void namesMeasureAsTheListDrawsThem();

    void jobAssemblesInChosenOrderAndResetsWindow();
    void jobKeepsWindowPaintingAndDefersClose();
    void inputDuringJobIsDropped();
    void jobTurnsEventLoopOnlyAsBarGrows();
    void ioErrorLeavesWindowUsable();
    void resultWhoseSourcesMayBeGoneIsReplacedOnlyWhenAnswered();
    void failedConversionKeepsSourcesAndSaysSo();
    void barRunsThroughTheConversionToItsEnd();
    void closeDuringFailedJobWaitsForErrorBox();
    void nonUtf8NamesAreAssembledAndDeleted();
    void folderBytesStandOnlyForTheirOwnText();

private:
    std::unique_ptr<TFPrincipale> makeWindow();
    // Points the chooser at `directory` (confirmed) or makes it cancel (null).
    void answerChooser(const QString *directory);
    void choose(const QString &directory);
    QByteArray work(const char *name) const
    {
        return QFile::encodeName(m_work->path()) + '/' + name;
    }

    std::unique_ptr<QTemporaryDir> m_tool;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TFPrincipale> m_window;
    QList<ChooserCall> m_chooserCalls;
};

void MainWindowTest::init()
{
    m_tool = std::make_unique<QTemporaryDir>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tool->isValid() && m_work->isValid());
    m_chooserCalls.clear();
    m_window = makeWindow();
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    QVERIFY(!QGuiApplication::overrideCursor());
}

std::unique_ptr<TFPrincipale> MainWindowTest::makeWindow()
{
    auto window = std::make_unique<TFPrincipale>(nullptr, m_tool->filePath("brakwen"));
    window->setDirectoryChooser([this](TFrmChooseDirectory *, const QString &, const QString &,
                                       const QString &, QString &) -> bool {
        m_chooserCalls.append(ChooserCall{});
        return false;
    });
    return window;
}

void MainWindowTest::answerChooser(const QString *directory)
{
    const std::optional<QString> answer =
        directory ? std::optional<QString>(*directory) : std::nullopt;
    m_window->setDirectoryChooser([this, answer](TFrmChooseDirectory *dialog,
                                                 const QString &caption, const QString &okText,
                                                 const QString &cancelText, QString &chosen) {
        m_chooserCalls.append(ChooserCall{dialog, caption, okText, cancelText, chosen});
        if (!answer)
            return false;
        chosen = *answer;
        return true;
    });
}

void MainWindowTest::choose(const QString &directory)
{
    answerChooser(&directory);
    m_window->SbnLocalDir->click();
}

void MainWindowTest::initialState()
{
    TFPrincipale &w = *m_window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Brakwen version 1.2.0"));
    QCOMPARE(w.size(), QSize(515, 476));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.font().pixelSize(), 10);

    struct Expected
    {
        QWidget *widget;
        const char *name;
        QRect geometry;
        bool visible;
        bool enabled;
    };
    const Expected table[] = {
        {w.LblDirectory, "LblDirectory", {13, 13, 135, 13}, true, true},
        {w.SbnLocalDir, "SbnLocalDir", {288, 40, 23, 22}, true, true},
        {w.SbnAddAll, "SbnAddAll", {240, 168, 23, 22}, true, false},
        {w.SbnAdd, "SbnAdd", {240, 208, 23, 22}, true, false},
        {w.SbnRemove, "SbnRemove", {240, 304, 23, 22}, true, false},
        {w.SbnRemoveAll, "SbnRemoveAll", {240, 344, 23, 22}, true, false},
        {w.LblFileList, "LblFileList", {16, 128, 201, 13}, true, true},
        {w.LblFileSelected, "LblFileSelected", {304, 128, 193, 13}, true, true},
        {w.EdtDirectory, "EdtDirectory", {13, 39, 267, 21}, true, false},
        {w.BtnCancel, "BtnCancel", {397, 437, 60, 20}, true, true},
        {w.PrbRunning, "PrbRunning", {13, 398, 484, 20}, false, true},
        {w.BtnOk, "BtnOk", {46, 437, 60, 20}, false, true},
        {w.LbxEnable, "LbxEnable", {16, 152, 201, 233}, true, false},
        {w.LbxSelected, "LbxSelected", {304, 152, 193, 233}, true, false},
        {w.LbEdtFinalName, "LbEdtFinalName", {16, 88, 265, 21}, true, false},
        {w.CbxPDFConvert, "CbxPDFConvert", {320, 64, 177, 17}, false, true},
        {w.CbxDeleteFiles, "CbxDeleteFiles", {320, 96, 185, 17}, true, true},
    };
    for (const Expected &e : table) {
        const QByteArray what = e.name;
        QCOMPARE(e.widget->objectName(), QString::fromLatin1(e.name));
        QVERIFY2(e.widget->isVisibleTo(&w) == e.visible, what);
        QVERIFY2(e.widget->isEnabled() == e.enabled, what);
        QVERIFY2(e.widget->pos() == e.geometry.topLeft(), what);
        QVERIFY2(e.widget->height() == e.geometry.height(), what);
        // Captions that the fallback face makes wider may grow to the right; nothing shrinks.
        const bool mayGrow = e.widget == w.LblDirectory || qobject_cast<QCheckBox *>(e.widget);
        if (mayGrow) {
            QVERIFY2(e.widget->width() >= e.geometry.width(), what);
            QVERIFY2(e.widget->geometry().right() < w.width(), what);
        } else {
            QVERIFY2(e.widget->width() == e.geometry.width(), what);
        }
        QVERIFY2(e.widget->toolTip().isEmpty(), what);
    }

    QCOMPARE(w.LblDirectory->text(), QStringLiteral("Répertoire des fichiers EPS: "));
    QVERIFY(w.LblDirectory->width() >= w.LblDirectory->sizeHint().width());
    QCOMPARE(w.LblFileList->text(), QStringLiteral("Liste des fichiers disponibles :"));
    QCOMPARE(w.LblFileSelected->text(), QStringLiteral("Liste des fichiers sélectionnés :"));
    QVERIFY(w.EdtDirectory->text().isEmpty());
    QCOMPARE(w.BtnCancel->text(), QStringLiteral("&Quitter"));
    QCOMPARE(w.BtnOk->text(), QStringLiteral("&OK"));
    QCOMPARE(w.PrbRunning->minimum(), 0);
    QCOMPARE(w.PrbRunning->maximum(), 100);
    QCOMPARE(w.LbEdtFinalName->text(), QStringLiteral("final"));
    QCOMPARE(w.LbEdtFinalName->editLabel()->text(),
             QStringLiteral("Nom du fichier final (sans extension) :"));
    QCOMPARE(w.LbEdtFinalName->editLabel()->geometry().bottom() + 1 + 3, 88);
    QCOMPARE(w.LbEdtFinalName->editLabel()->x(), 16);
    QCOMPARE(w.CbxPDFConvert->text(), QStringLiteral("Création fichier PDF"));
    QVERIFY(!w.CbxPDFConvert->isChecked());
    QCOMPARE(w.CbxDeleteFiles->text(), QStringLiteral("Suppression des fichiers convertis"));
    QVERIFY(w.CbxDeleteFiles->isChecked());

    const std::pair<QToolButton *, QString> glyphs[] = {
        {w.SbnLocalDir, QStringLiteral("Choisir le répertoire")},
        {w.SbnAddAll, QStringLiteral("Ajoute tout")},
        {w.SbnAdd, QStringLiteral("Ajoute la sélection")},
        {w.SbnRemove, QStringLiteral("Enléve la sélection")},
        {w.SbnRemoveAll, QStringLiteral("Enléve tout")},
    };
    for (const auto &[button, hint] : glyphs) {
        QCOMPARE(button->accessibleName(), hint);
        QVERIFY(button->text().isEmpty());
        const QPixmap picture = button->icon().pixmap(QSize(16, 16));
        QCOMPARE(picture.size(), QSize(16, 16));
        QVERIFY(picture.hasAlphaChannel());
        QCOMPARE(picture.toImage().pixelColor(0, 0).alpha(), 0);
        // Disabled, the picture is greyed: transparent where it was, and no dark pixel left
        // that would make the button look usable.
        const QImage greyed = button->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        QCOMPARE(greyed.size(), QSize(16, 16));
        QCOMPARE(greyed.pixelColor(0, 0).alpha(), 0);
        int darkest = 255;
        int opaque = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QColor colour = greyed.pixelColor(x, y);
                QCOMPARE(colour.alpha() > 0, picture.toImage().pixelColor(x, y).alpha() > 0);
                if (colour.alpha() > 0) {
                    ++opaque;
                    darkest = std::min(darkest, colour.lightness());
                }
            }
        }
        QVERIFY(opaque > 0);
        QVERIFY2(darkest >= 144, QByteArray::number(darkest));
    }

    for (QListView *list : {w.LbxEnable, w.LbxSelected}) {
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list->model()->rowCount(), 0);
        QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    }
    // Rows are 13 pixels high.
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Centred on the screen, by its frame.
    const QPoint offCentre = w.frameGeometry().center() - w.screen()->availableGeometry().center();
    QVERIFY(offCentre.manhattanLength() <= 1);
    const QModelIndex first = w.LbxEnable->model()->index(0, 0);
    const QModelIndex second = w.LbxEnable->model()->index(1, 0);
    QCOMPARE(w.LbxEnable->visualRect(first).height(), 13);
    QCOMPARE(w.LbxEnable->visualRect(second).top() - w.LbxEnable->visualRect(first).top(), 13);
}

void MainWindowTest::captionsKeepToTheirBoxes()
{
    // Faces with about the widths of the one the layout was drawn for; the converter's
    // Ghostscript brings one of them.
    const QStringList narrow = {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans",
                                "Nimbus Sans"};
    if (std::none_of(narrow.begin(), narrow.end(), &QFontDatabase::hasFamily))
        QSKIP("No face of the layout's widths is installed");
    TFPrincipale &w = *m_window;
    const std::pair<QWidget *, int> captions[] = {
        {w.LblDirectory, 135},  {w.LblFileList, 201},    {w.LblFileSelected, 193},
        {w.CbxPDFConvert, 177}, {w.CbxDeleteFiles, 185}, {w.LbEdtFinalName->editLabel(), 265},
    };
    for (const auto &[widget, width] : captions) {
        QVERIFY2(widget->sizeHint().width() <= width, qPrintable(widget->objectName()));
        QVERIFY2(widget->width() <= width, qPrintable(widget->objectName()));
    }
}

void MainWindowTest::tabOrder()
{
    const QStringList expected = {"EdtDirectory",   "BtnCancel",     "PrbRunning",
                                  "BtnOk",          "LbxEnable",     "LbxSelected",
                                  "LbEdtFinalName", "CbxPDFConvert", "CbxDeleteFiles"};
    QStringList chain;
    QWidget *widget = m_window->EdtDirectory;
    do {
        if (expected.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != m_window->EdtDirectory);
    QCOMPARE(chain, expected);
    for (QToolButton *glyph : m_window->findChildren<QToolButton *>())
        QCOMPARE(glyph->focusPolicy(), Qt::NoFocus);
}

void MainWindowTest::everyControlHasAName()
{
    TFPrincipale &w = *m_window;
    const auto nameOf = [](QWidget *widget) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    };
    const std::pair<QWidget *, QString> expected[] = {
        {w.SbnLocalDir, QStringLiteral("Choisir le répertoire")},
        {w.SbnAddAll, QStringLiteral("Ajoute tout")},
        {w.SbnAdd, QStringLiteral("Ajoute la sélection")},
        {w.SbnRemove, QStringLiteral("Enléve la sélection")},
        {w.SbnRemoveAll, QStringLiteral("Enléve tout")},
        {w.EdtDirectory, QStringLiteral("Répertoire des fichiers EPS")},
        {w.LbxEnable, QStringLiteral("Liste des fichiers disponibles")},
        {w.LbxSelected, QStringLiteral("Liste des fichiers sélectionnés")},
        {w.LbEdtFinalName, QStringLiteral("Nom du fichier final (sans extension)")},
        {w.BtnOk, QStringLiteral("OK")},
        {w.BtnCancel, QStringLiteral("Quitter")},
        {w.CbxPDFConvert, QStringLiteral("Création fichier PDF")},
        {w.CbxDeleteFiles, QStringLiteral("Suppression des fichiers convertis")},
    };
    for (const auto &[widget, name] : expected)
        QCOMPARE(nameOf(widget), name);
    // The labels are their fields' captions.
    QCOMPARE(w.LblDirectory->buddy(), w.EdtDirectory);
    QCOMPARE(w.LblFileList->buddy(), w.LbxEnable);
    QCOMPARE(w.LblFileSelected->buddy(), w.LbxSelected);
    QCOMPARE(w.LbEdtFinalName->editLabel()->buddy(), w.LbEdtFinalName);
    // Every control, the labels and the progress bar included.
    for (QWidget *child : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(!nameOf(child).isEmpty(), qPrintable(child->objectName()));
    // A window, named by its title, rather than a filler.
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&w);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), w.windowTitle());
}

void MainWindowTest::everyObjectKnowsItsOwnClass()
{
    // Qt goes by an object's meta-object (casts, styles, screen readers, signals): each of the
    // program's own classes must carry its own, not its Qt base class's.
    QStringList unknown;
    QList<QObject *> objects = {m_window.get()};
    objects += m_window->findChildren<QObject *>();
    for (QObject *object : objects) {
        int status = 0;
        const std::unique_ptr<char, void (*)(void *)> type(
            abi::__cxa_demangle(typeid(*object).name(), nullptr, nullptr, &status), std::free);
        const QLatin1String name(type ? type.get() : "");
        if (!name.startsWith(QLatin1Char('Q')) && name != object->metaObject()->className())
            unknown << name;
    }
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(QLatin1Char(' '))));
}

void MainWindowTest::glyphsStaySharpAndVisible()
{
    TFPrincipale &w = *m_window;
    QToolButton *const buttons[] = {w.SbnLocalDir, w.SbnAddAll, w.SbnAdd, w.SbnRemove,
                                    w.SbnRemoveAll};
    // Drawn for the screen's device pixels, not scaled up from 16 x 16.
    for (QToolButton *button : buttons) {
        for (const qreal ratio : {1.5, 2.0, 3.0}) {
            const QPixmap picture = button->icon().pixmap(QSize(16, 16), ratio);
            QCOMPARE(picture.size(), QSize(qRound(16 * ratio), qRound(16 * ratio)));
            QCOMPARE(picture.devicePixelRatio(), ratio);
        }
    }
    // Sharp: the arrow's upright edge falls between two device pixels, with no blur across it.
    const QImage arrow = w.SbnAdd->icon().pixmap(QSize(16, 16), 2.0).toImage();
    QCOMPARE(arrow.pixelColor(12, 15).alpha(), 255);
    QCOMPARE(arrow.pixelColor(11, 15).alpha(), 0);

    // On a dark face, the pictures keep their contrast, enabled or disabled, and the two still
    // look apart.
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
    w.setPalette(dark);
    const int face = dark.color(QPalette::Button).lightness();
    const auto contrast = [face](const QImage &image) {
        int most = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                if (colour.alpha() == 255)
                    most = std::max(most, std::abs(colour.lightness() - face));
            }
        }
        return most;
    };
    for (QToolButton *button : buttons) {
        const QImage enabled = button->icon().pixmap(QSize(16, 16)).toImage();
        const QImage disabled = button->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        QVERIFY2(contrast(enabled) >= 150, qPrintable(button->objectName()));
        QVERIFY2(contrast(disabled) >= 40, qPrintable(button->objectName()));
        QVERIFY2(contrast(disabled) < contrast(enabled) - 60, qPrintable(button->objectName()));
    }
}

void MainWindowTest::converterOffer_data()
{
    QTest::addColumn<bool>("script");
    QTest::addColumn<bool>("responseFile");
    QTest::addColumn<bool>("offered");
    QTest::newRow("neither") << false << false << false;
    QTest::newRow("script only") << true << false << false;
    QTest::newRow("response file only") << false << true << false;
    QTest::newRow("both") << true << true << true;
}

void MainWindowTest::converterOffer()
{
    QFETCH(bool, script);
    QFETCH(bool, responseFile);
    QFETCH(bool, offered);
    const QByteArray tool = QFile::encodeName(m_tool->path()) + '/';
    if (script)
        writeFile(tool + "ps2pdf.bat", "#!/bin/sh\n");
    if (responseFile)
        writeFile(tool + "pdfwrite.rsp", "");
    m_window = makeWindow();
    QCOMPARE(DefaultDirectory, m_tool->path() + QLatin1Char('/'));
    QCOMPARE(m_window->CbxPDFConvert->isVisibleTo(m_window.get()), offered);
    QCOMPARE(m_window->CbxPDFConvert->isChecked(), offered);
    // Whatever the converter, nothing can be moved or assembled yet.
    for (QToolButton *button :
         {m_window->SbnAdd, m_window->SbnAddAll, m_window->SbnRemove, m_window->SbnRemoveAll})
        QVERIFY(!button->isEnabled());
    QVERIFY(!m_window->BtnOk->isVisibleTo(m_window.get()));
}

void MainWindowTest::noHandlerOrRuleAtStart()
{
    // The base name "final" is not empty: had the rules run while its text was loaded, both
    // lists would be enabled.
    QVERIFY(!m_window->LbxEnable->isEnabled());
    QVERIFY(!m_window->LbxSelected->isEnabled());
    QVERIFY(!m_window->LbEdtFinalName->isEnabled());
    QVERIFY(m_chooserCalls.isEmpty());
    // The handlers are connected once start-up is over.
    m_window->LbEdtFinalName->setText(QStringLiteral("autre"));
    QVERIFY(m_window->LbxEnable->isEnabled());
}

void MainWindowTest::quitButtonClosesWindow()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTest::mouseClick(m_window->BtnCancel, Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
}

void MainWindowTest::keyboardPressesButtons()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // Access keys; the button shows itself pressed for a moment before it acts.
    w.SbnAddAll->click();
    QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(readFile(work("final.eps")), QByteArray("ab"));

    // Enter on the focused button, like Space.
    choose(m_work->path());
    selectRow(w.LbxEnable, 1);
    w.SbnAdd->click();
    w.BtnOk->setFocus();
    QTest::keyClick(w.BtnOk, Qt::Key_Return);
    QCOMPARE(readFile(work("final.eps")), QByteArray("b"));
    choose(m_work->path());
    selectRow(w.LbxEnable, 0);
    w.SbnAdd->click();
    w.BtnOk->setFocus();
    QTest::keyClick(w.BtnOk, Qt::Key_Space);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));

    w.BtnCancel->setFocus();
    QTest::keyClick(w.BtnCancel, Qt::Key_Enter);
    QVERIFY(!w.isVisible());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Q, Qt::AltModifier);
    QTRY_VERIFY(!w.isVisible());
}

void MainWindowTest::keyboardAndDoubleClickDoTheGlyphButtonsWork()
{
    for (const char *name : {"a.eps", "b.eps", "c.eps", "d.eps"})
        writeFile(work(name), name);
    TFPrincipale &w = *m_window;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // Ctrl+O chooses the folder as the directory button does, wherever the focus is.
    const QString folder = m_work->path();
    answerChooser(&folder);
    w.CbxDeleteFiles->setFocus();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_chooserCalls.size(), 1);
    QCOMPARE(m_chooserCalls.first().caption, QStringLiteral("Choix du répertoire"));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "c.eps", "d.eps"}));

    // Enter moves the highlighted names to the other list, as the single arrows do.
    w.LbxEnable->setFocus();
    QTest::keyClick(w.LbxEnable, Qt::Key_Down);
    QTest::keyClick(w.LbxEnable, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(w.LbxEnable, Qt::Key_Return);
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps", "c.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "d.eps"}));
    QVERIFY(w.BtnOk->isVisible() && w.SbnRemove->isEnabled());
    w.LbxSelected->setFocus();
    QTest::keyClick(w.LbxSelected, Qt::Key_Space); // highlights the name under the caret
    QTest::keyClick(w.LbxSelected, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(texts(w.LbxSelected), QStringList({"c.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "d.eps"}));

    // A double-click moves the name clicked, and that name only.
    selectRow(w.LbxEnable, 0);
    const QModelIndex d = w.LbxEnable->model()->index(2, 0);
    doubleClick(w.LbxEnable, d, Qt::ControlModifier);
    QCOMPARE(texts(w.LbxSelected), QStringList({"c.eps", "d.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps"}));
    QCOMPARE(w.LbxEnable->selectionModel()->selectedRows().size(), 1);
    const QModelIndex c = w.LbxSelected->model()->index(0, 0);
    doubleClick(w.LbxSelected, c);
    QCOMPARE(texts(w.LbxSelected), QStringList({"d.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"a.eps", "b.eps", "c.eps"}));

    // The glyph buttons still take no focus, and the tab order is the window's own.
    for (QWidget *button :
         {static_cast<QWidget *>(w.SbnLocalDir), static_cast<QWidget *>(w.SbnAdd)})
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
}

void MainWindowTest::choosingListsFolderAndAppliesRules()
{
    for (const char *name : {"b.eps", "A.EPS", "c.eps", ".cache.eps", "notes.txt"})
        writeFile(work(name), name);
    QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("folder.eps")));

    m_window->EdtDirectory->setText(QStringLiteral("/nowhere"));
    choose(m_work->path());

    QCOMPARE(m_chooserCalls.size(), 1);
    const ChooserCall &call = m_chooserCalls.first();
    QCOMPARE(call.dialog, FrmChooseDirectory);
    QCOMPARE(call.caption, QStringLiteral("Choix du répertoire"));
    QCOMPARE(call.okText, QStringLiteral("&Ok"));
    QCOMPARE(call.cancelText, QStringLiteral("&Annule"));
    QCOMPARE(call.directory, QStringLiteral("/nowhere"));

    TFPrincipale &w = *m_window;
    QCOMPARE(w.EdtDirectory->text(), m_work->path());
    QVERIFY(w.LbEdtFinalName->isEnabled());
    QCOMPARE(texts(w.LbxEnable), QStringList({".cache.eps", "A.EPS", "b.eps", "c.eps"}));
    QCOMPARE(texts(w.LbxSelected), QStringList());
    QVERIFY(w.LbxEnable->isEnabled() && w.LbxSelected->isEnabled());
    QVERIFY(w.SbnAdd->isEnabled() && w.SbnAddAll->isEnabled());
    QVERIFY(!w.SbnRemove->isEnabled() && !w.SbnRemoveAll->isEnabled());
    QVERIFY(!w.BtnOk->isVisibleTo(&w));

    selectRow(w.LbxEnable, 2);
    w.SbnAdd->click();
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps"}));
    QVERIFY(w.SbnRemove->isEnabled() && w.SbnRemoveAll->isEnabled());
    QVERIFY(w.BtnOk->isVisibleTo(&w));

    // Choosing the same folder again changes no text, so its handler stays quiet, but the
    // lists still start afresh.
    w.LbEdtFinalName->setEnabled(false);
    choose(m_work->path());
    QVERIFY(!w.LbEdtFinalName->isEnabled());
    QCOMPARE(texts(w.LbxEnable).size(), 4);
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);
}

void MainWindowTest::cancelClearsSelectionAndListsAgain()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    m_window->SbnAddAll->click();
    QCOMPARE(m_window->LbxSelected->model()->rowCount(), 2);
    writeFile(work("c.eps"), "c");

    answerChooser(nullptr);
    m_window->SbnLocalDir->click();

    QCOMPARE(m_chooserCalls.last().directory, m_work->path());
    QCOMPARE(m_window->EdtDirectory->text(), m_work->path());
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"a.eps", "b.eps", "c.eps"}));
    QCOMPARE(m_window->LbxSelected->model()->rowCount(), 0);
    QVERIFY(!m_window->BtnOk->isVisibleTo(m_window.get()));
    QVERIFY(!m_window->SbnRemoveAll->isEnabled());
}

void MainWindowTest::cancelWithEmptyDirectoryListsRootAndKeepsBaseNameDisabled()
{
    answerChooser(nullptr);
    m_window->SbnLocalDir->click();
    QCOMPARE(m_chooserCalls.last().directory, QString());
    QVERIFY(m_window->EdtDirectory->text().isEmpty());
    QVERIFY(!m_window->LbEdtFinalName->isEnabled());
    QStringList root;
    for (const QByteArray &name : EpsDirectoryListing::list("/"))
        root << QString::fromUtf8(name);
    root.sort(Qt::CaseInsensitive);
    QStringList listed = texts(m_window->LbxEnable);
    listed.sort(Qt::CaseInsensitive);
    QCOMPARE(listed, root);
    // The rules ran: the base name is not empty, so the lists open.
    QVERIFY(m_window->LbxEnable->isEnabled());
}

void MainWindowTest::chooserErrorKeepsListsAndShowsBox()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    selectRow(m_window->LbxEnable, 1);
    m_window->SbnAdd->click();

    m_window->setDirectoryChooser([](TFrmChooseDirectory *, const QString &, const QString &,
                                     const QString &, QString &) -> bool {
        throw std::runtime_error("Erreur de définition du chemin : \"/x\"");
    });
    MessageBoxAnswer answer;
    m_window->SbnLocalDir->click();

    QVERIFY(answer.shown);
    QCOMPARE(answer.title, QStringLiteral("Brakwen"));
    QCOMPARE(answer.text, QStringLiteral("Erreur de définition du chemin : \"/x\""));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"a.eps"}));
    QCOMPARE(texts(m_window->LbxSelected), QStringList({"b.eps"}));
}

void MainWindowTest::emptyBaseNameLocksListsOnly()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);

    w.LbEdtFinalName->clear();
    QVERIFY(!w.LbxEnable->isEnabled() && !w.LbxSelected->isEnabled());
    QVERIFY(w.SbnAddAll->isEnabled() && w.SbnAdd->isEnabled());
    QVERIFY(w.LbEdtFinalName->isEnabled());

    w.SbnAddAll->click();
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps", "b.eps"}));
    QVERIFY(w.BtnOk->isVisibleTo(&w));
    QVERIFY(w.SbnRemoveAll->isEnabled() && !w.SbnAddAll->isEnabled());
    // The rules leave the directory button, the options and quit alone.
    QVERIFY(w.SbnLocalDir->isEnabled());
    QVERIFY(!w.CbxDeleteFiles->isChecked());
    QVERIFY(w.BtnCancel->isVisibleTo(&w));

    w.BtnOk->click();
    QCOMPARE(readFile(work(".eps")), QByteArray("ab"));
}

void MainWindowTest::listsScrollSidewaysForLongNamesOnly()
{
    const QByteArray longName = QByteArray(120, 'x') + ".eps";
    writeFile(work("a.eps"), "a");
    writeFile(work(longName.constData()), "x");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.LbxEnable->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(w.LbxSelected->horizontalScrollBar()->maximum(), 0);

    selectRow(w.LbxEnable, 1);
    w.SbnAdd->click();
    QTRY_VERIFY(w.LbxSelected->horizontalScrollBar()->maximum() > 0);
    QTRY_COMPARE(w.LbxEnable->horizontalScrollBar()->maximum(), 0);
    w.SbnRemoveAll->click();
    QTRY_VERIFY(w.LbxEnable->horizontalScrollBar()->maximum() > 0);
    QTRY_COMPARE(w.LbxSelected->horizontalScrollBar()->maximum(), 0);
}

void MainWindowTest::namesMeasureAsTheListDrawsThem()
{
    // Letters, accents, ligature and kerning pairs, a combining accent, a tab, other scripts.
    const QStringList names = {
        QStringLiteral("plan-2024_final (copie).eps"),
        QStringLiteral("Œuvre complète à l'été § 100 %.eps"),
        QStringLiteral("office AVATAR WAVE Ty.eps"),
        QStringLiteral("cafe\u0301 d\u00e9ja\u0300.eps"),
        QStringLiteral("a\tb.eps"),
        QStringLiteral("\u65e5\u672c\u8a9e \u0627\u0644\u0639\u0631\u0628\u064a\u0629.eps"),
        QStringLiteral("\U0001F600 smile.eps"),
    };
    QListView *list = m_window->LbxEnable;
    const NameWidthMeter meter(list->font());
    int widest = 0;
    for (const QString &name : names) {
        QCOMPARE(meter.width(name), list->fontMetrics().horizontalAdvance(name));
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(name));
    }
    std::vector<QByteArray> bytes;
    for (const QString &name : names)
        bytes.push_back(name.toUtf8());
    m_window->fileLists().available()->setNames(bytes);
    QCOMPARE(m_window->fileLists().available()->widestTextWidth(), widest);
}

void MainWindowTest::jobAssemblesInChosenOrderAndResetsWindow()
{
    writeFile(work("a.eps"), "AAAA");
    writeFile(work("b.eps"), "BB");
    writeFile(work("c.eps"), "C");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.LbEdtFinalName->setText(QStringLiteral("résultat"));
    selectRow(w.LbxEnable, 1); // b.eps
    w.SbnAdd->click();
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    w.BtnOk->click();

    QCOMPARE(readFile(work("résultat.eps")), QByteArray("BBAAAA"));
    QVERIFY(exists(work("a.eps")) && exists(work("b.eps")));
    QCOMPARE(w.LbxEnable->model()->rowCount(), 0);
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);
    QVERIFY(!w.BtnOk->isVisible());
    QVERIFY(w.BtnCancel->isVisible());
    QVERIFY(!w.PrbRunning->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!w.SbnAdd->isEnabled() && !w.SbnRemoveAll->isEnabled());
    QCOMPARE(w.EdtDirectory->text(), m_work->path());
}

void MainWindowTest::jobKeepsWindowPaintingAndDefersClose()
{
    for (const char *name : {"a.eps", "b.eps", "c.eps"})
        writeFile(work(name), name);
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Timers only fire while the job runs if the window lets events through as it copies.
    bool firedDuringJob = false;
    bool barShown = false;
    bool busy = false;
    int position = -1;
    QTimer::singleShot(0, &w, [&] {
        firedDuringJob = w.jobRunning();
        barShown = w.PrbRunning->isVisible();
        busy = QGuiApplication::overrideCursor() != nullptr;
        position = w.PrbRunning->value();
        w.close(); // as from the title bar, mid-job
    });
    w.BtnOk->click();

    QVERIFY(firedDuringJob);
    QVERIFY(barShown);
    QVERIFY(busy);
    QCOMPARE(w.PrbRunning->maximum(), 3);
    QVERIFY(position >= 1 && position <= 3);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a.epsb.epsc.eps"));
    // The close waited for the end of the job, then took effect.
    QTRY_VERIFY(!w.isVisible());
}

void MainWindowTest::inputDuringJobIsDropped()
{
    for (const char *name : {"a.eps", "b.eps"})
        writeFile(work(name), name);
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    bool quitClicked = false;
    connect(w.BtnCancel, &QPushButton::clicked, this, [&] { quitClicked = true; });

    // Queued as the window system queues them, while the job runs: a click where the hidden
    // quit button sits, and its access key.
    QWindow *window = w.windowHandle();
    const QPointF quit = w.BtnCancel->geometry().center();
    const QPointF global = window->mapToGlobal(quit);
    bool queuedDuringJob = false;
    QTimer::singleShot(0, &w, [&] {
        queuedDuringJob = w.jobRunning() && !w.BtnCancel->isVisible();
        using Queue = QWindowSystemInterface;
        Queue::handleMouseEvent<Queue::AsynchronousDelivery>(
            window, quit, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
        Queue::handleMouseEvent<Queue::AsynchronousDelivery>(
            window, quit, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        Queue::handleKeyEvent<Queue::AsynchronousDelivery>(window, QEvent::KeyPress, Qt::Key_Q,
                                                           Qt::AltModifier, QStringLiteral("q"));
        Queue::handleKeyEvent<Queue::AsynchronousDelivery>(window, QEvent::KeyRelease, Qt::Key_Q,
                                                           Qt::AltModifier, QStringLiteral("q"));
    });
    w.BtnOk->click();
    QVERIFY(queuedDuringJob);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a.epsb.eps"));

    // An access key presses its button a moment later: time enough for either to act.
    QTest::qWait(300);
    QVERIFY(!quitClicked);
    QVERIFY(w.isVisible());
    QVERIFY(w.BtnCancel->isVisible());

    // Input made once the job is over acts as usual.
    QTest::mouseClick(w.BtnCancel, Qt::LeftButton);
    QVERIFY(quitClicked);
}

void MainWindowTest::jobTurnsEventLoopOnlyAsBarGrows()
{
    constexpr int Files = 3000;
    for (int i = 0; i < Files; ++i)
        writeFile(work(QByteArray::number(10000 + i).append(".eps").constData()), "x");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // A zero-delay timer fires at each turn of the event loop.
    int turns = 0;
    QTimer counter;
    connect(&counter, &QTimer::timeout, this, [&] { turns += w.jobRunning() ? 1 : 0; });
    counter.start(0);
    w.BtnOk->click();
    counter.stop();

    QCOMPARE(QFileInfo(QFile::decodeName(work("final.eps"))).size(), qint64(Files));
    // The bar is drawn as it grows, not for every file: at most once per pixel of its width.
    QVERIFY2(turns >= 1 && turns <= w.PrbRunning->width(), QByteArray::number(turns));
}

void MainWindowTest::ioErrorLeavesWindowUsable()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    writeFile(work("final.eps"), "older result");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    selectRow(w.LbxEnable, 1); // b.eps
    w.SbnAdd->click();
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(QFile::remove(QFile::decodeName(work("a.eps"))));

    // The older result may be all that is left of other sources: the question comes first.
    MessageBoxAnswer replace;
    replace.button = QMessageBox::Yes;
    MessageBoxAnswer answer;
    w.BtnOk->click();

    QVERIFY(replace.shown);
    QVERIFY(answer.shown);
    QCOMPARE(answer.title, QStringLiteral("Brakwen"));
    QCOMPARE(answer.text, QStringLiteral("Fichier introuvable."));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(texts(w.LbxSelected), QStringList({"b.eps", "a.eps"}));
    QCOMPARE(texts(w.LbxEnable), QStringList({"final.eps"}));
    QVERIFY(w.BtnOk->isVisible());
    QVERIFY(w.BtnCancel->isVisible());
    QVERIFY(!w.PrbRunning->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(w.SbnRemove->isEnabled() && w.SbnAdd->isEnabled());
    QVERIFY(exists(work("b.eps")));
    QVERIFY(!w.jobRunning());
    // Still usable: put the file back and assemble again, the older result replaced when asked.
    writeFile(work("a.eps"), "a");
    MessageBoxAnswer replacing;
    replacing.button = QMessageBox::Yes;
    w.BtnOk->click();
    QVERIFY(replacing.shown);
    QCOMPARE(readFile(work("final.eps")), QByteArray("ba"));
}

void MainWindowTest::resultWhoseSourcesMayBeGoneIsReplacedOnlyWhenAnswered()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("final.eps"), "older result");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    selectRow(w.LbxEnable, 0); // a.eps
    w.SbnAdd->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.CbxDeleteFiles->isChecked());

    {
        MessageBoxAnswer no;
        no.button = QMessageBox::No;
        w.BtnOk->click();
        QVERIFY(no.shown);
        QCOMPARE(no.text, QStringLiteral("Le fichier « final.eps » existe déjà. Le remplacer ?"));
        QCOMPARE(no.icon, QMessageBox::Question);
    }
    // Non: nothing happened, the arrangement is still there for another try.
    QCOMPARE(readFile(work("final.eps")), QByteArray("older result"));
    QVERIFY(exists(work("a.eps")));
    QCOMPARE(texts(w.LbxSelected), QStringList({"a.eps"}));
    QVERIFY(w.BtnOk->isVisible() && w.BtnCancel->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());

    MessageBoxAnswer yes;
    yes.button = QMessageBox::Yes;
    w.BtnOk->click();
    QVERIFY(yes.shown);
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));
    QVERIFY(!exists(work("a.eps")));
}

void MainWindowTest::failedConversionKeepsSourcesAndSaysSo()
{
    const QByteArray tool = QFile::encodeName(m_tool->path()) + '/';
    writeFile(tool + "ps2pdf.bat", "exit 1\n");
    writeFile(tool + "pdfwrite.rsp", "");
    m_window = makeWindow();
    writeFile(work("a.eps"), "a");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    QVERIFY(w.CbxPDFConvert->isChecked() && w.CbxDeleteFiles->isChecked());
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    MessageBoxAnswer answer;
    answer.answerWithEscape = true;
    // Centred on the screen, as the main window is when it opens.
    QPoint offCentre;
    answer.whileShown = [&] {
        offCentre = QApplication::activeModalWidget()->frameGeometry().center() -
                    w.screen()->availableGeometry().center();
    };
    w.BtnOk->click();

    QVERIFY(answer.shown);
    QVERIFY2(offCentre.manhattanLength() <= 1,
             qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(answer.closedByEscape);
    QCOMPARE(answer.title, QStringLiteral("Erreur"));
    // The box's own text, and below it why: this stand-in for a converter fails outright.
    QCOMPARE(answer.text, QStringLiteral("Echec de la conversion."));
    QCOMPARE(answer.below, QStringLiteral("le convertisseur a échoué (code 1)"));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(answer.buttons, QStringList({"OK"}));
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
    QCOMPARE(w.LbxSelected->model()->rowCount(), 0);

    // Without the delete option the user asked for a PDF all the same and must learn there is
    // none.
    w.CbxDeleteFiles->setChecked(false);
    QVERIFY(QFile::remove(QFile::decodeName(work("final.eps"))));
    choose(m_work->path());
    w.SbnAddAll->click();
    MessageBoxAnswer again;
    w.BtnOk->click();
    QVERIFY(again.shown);
    QCOMPARE(again.text.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Echec de la conversion."));
    QCOMPARE(readFile(work("a.eps")), QByteArray("a"));
    QCOMPARE(readFile(work("final.eps")), QByteArray("a"));
}

void MainWindowTest::barRunsThroughTheConversionToItsEnd()
{
    // A converter that takes its time over each file and says so, then puts a PDF of two pages
    // in place.
    const QByteArray tool = QFile::encodeName(m_tool->path()) + '/';
    {
        QPdfWriter pages(QFile::decodeName(tool + "pages.pdf"));
        QPainter painter(&pages);
        pages.newPage();
    }
    writeFile(tool + "ps2pdf.bat", "for done in 1 2; do sleep 0.2; "
                                   "echo \"$done 2\" >&\"$BRAKWEN_PROGRESS_FD\"; done\n"
                                   "cp \"${0%/*}/pages.pdf\" \"$2\"\n");
    writeFile(tool + "pdfwrite.rsp", "");
    m_window = makeWindow();
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.CbxDeleteFiles->setChecked(false);
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    PaintedValues painted(w.PrbRunning);
    w.BtnOk->click();

    QVERIFY(exists(work("final.pdf")) && !exists(work("final.eps")));
    // Two files copied, then two converted: the bar, drawn all along, goes on from the copy's
    // end to its own, and goes once the job is over.
    QCOMPARE(w.PrbRunning->maximum(), 4);
    QVERIFY2(painted.values.endsWith(QStringLiteral(" 2 3 4")), qPrintable(painted.values));
    QVERIFY(!w.PrbRunning->isVisible());
}

void MainWindowTest::closeDuringFailedJobWaitsForErrorBox()
{
    writeFile(work("a.eps"), "a");
    writeFile(work("b.eps"), "b");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    w.SbnAddAll->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(QFile::remove(QFile::decodeName(work("b.eps"))));

    bool visibleUnderBox = false;
    MessageBoxAnswer answer;
    answer.whileShown = [&] { visibleUnderBox = w.isVisible(); };
    QTimer::singleShot(0, &w, [&] { w.close(); });
    w.BtnOk->click();

    QVERIFY(answer.shown);
    QVERIFY(visibleUnderBox);
    QVERIFY(!w.isVisible());
}

void MainWindowTest::nonUtf8NamesAreAssembledAndDeleted()
{
    const QByteArray latin1("\xe9t\xe9.eps");
    writeFile(work(latin1.constData()), "latin-1 ");
    writeFile(work("z.eps"), "utf-8");
    choose(m_work->path());
    TFPrincipale &w = *m_window;
    QVERIFY(w.CbxDeleteFiles->isChecked());
    QCOMPARE(w.LbxEnable->model()->rowCount(), 2);
    const int latin1Row = texts(w.LbxEnable).indexOf(QStringLiteral("\uFFFDt\uFFFD.eps"));
    QVERIFY(latin1Row >= 0);
    selectRow(w.LbxEnable, latin1Row);
    w.SbnAdd->click();
    w.SbnAddAll->click();
    w.BtnOk->click();

    QCOMPARE(readFile(work("final.eps")), QByteArray("latin-1 utf-8"));
    QVERIFY(!exists(work(latin1.constData())));
    QVERIFY(!exists(work("z.eps")));
}

void MainWindowTest::folderBytesStandOnlyForTheirOwnText()
{
    const QByteArray odd = work("odd\xfe");
    const QByteArray plain = work("plain");
    QVERIFY(::mkdir(odd.constData(), 0755) == 0);
    QVERIFY(::mkdir(plain.constData(), 0755) == 0);
    const auto removeOdd = qScopeGuard([&] {
        ::unlink((odd + "/x.eps").constData());
        ::rmdir(odd.constData());
    });
    writeFile(odd + "/x.eps", "x");
    writeFile(plain + "/p.eps", "p");

    QList<QByteArray> bytesIn;
    QList<QString> textsIn;
    const auto answer = [&](const QString &text, const QByteArray &bytes) {
        m_window->setDirectoryChooser(TFPrincipale::RawDirectoryChooser(
            [&, text, bytes](TFrmChooseDirectory *, const QString &, const QString &,
                             const QString &, QString &directory, QByteArray &raw) {
                textsIn << directory;
                bytesIn << raw;
                directory = text;
                raw = bytes;
                return true;
            }));
        m_window->SbnLocalDir->click();
    };

    answer(QFile::decodeName(odd), odd);
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"x.eps"}));
    QCOMPARE(m_window->directoryBytes(), odd);

    // The next choice starts from those bytes; an answer whose bytes are not its text's is
    // taken by its text.
    answer(QFile::decodeName(plain), odd);
    QCOMPARE(bytesIn.last(), odd);
    QCOMPARE(textsIn.last(), QFile::decodeName(odd));
    QCOMPARE(texts(m_window->LbxEnable), QStringList({"p.eps"}));
    QCOMPARE(m_window->directoryBytes(), plain);
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
