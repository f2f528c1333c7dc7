// The main window as it opens: its controls, their places, names and pictures, the tab order,
// and the converter offer.
#include "brakwen_application.h"
#include "dirinput.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

class WindowAtStartTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void initialState();
    void captionsKeepToTheirBoxes();
    void tabOrder();
    void everyControlHasAName();
    void everyObjectKnowsItsOwnClass();
    void glyphsStaySharpAndVisible();
    void converterOffer_data();
    void converterOffer();
    void noHandlerOrRuleAtStart();
};

void WindowAtStartTest::initialState()
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
    }
    // Tooltips name the keys that do what the glyph buttons do, and those no button shows.
    const std::pair<QWidget *, QString> tips[] = {
        {w.SbnLocalDir, QStringLiteral("Choisir le répertoire (Ctrl+O)")},
        {w.SbnAddAll, QStringLiteral("Ajoute tout")},
        {w.SbnAdd, QStringLiteral("Ajoute la sélection (Entrée ou double-clic dans la liste)")},
        {w.SbnRemove, QStringLiteral("Enléve la sélection (Entrée ou double-clic dans la liste)")},
        {w.SbnRemoveAll, QStringLiteral("Enléve tout")},
        {w.LbxEnable, QStringLiteral("F3 : aperçu du fichier")},
        {w.LbxSelected, QStringLiteral("Alt+Haut, Alt+Bas : déplacer les noms sélectionnés\n"
                                       "F3 : aperçu du fichier")},
    };
    for (const auto &[widget, tip] : tips)
        QCOMPARE(widget->toolTip(), tip);
    for (const Expected &e : table)
        if (std::none_of(std::begin(tips), std::end(tips),
                         [&](const auto &t) { return t.first == e.widget; }))
            QVERIFY2(e.widget->toolTip().isEmpty(), e.name);

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

void WindowAtStartTest::captionsKeepToTheirBoxes()
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

void WindowAtStartTest::tabOrder()
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

void WindowAtStartTest::everyControlHasAName()
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

void WindowAtStartTest::everyObjectKnowsItsOwnClass()
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

void WindowAtStartTest::glyphsStaySharpAndVisible()
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

void WindowAtStartTest::converterOffer_data()
{
    QTest::addColumn<bool>("script");
    QTest::addColumn<bool>("responseFile");
    QTest::addColumn<bool>("offered");
    QTest::newRow("neither") << false << false << false;
    QTest::newRow("script only") << true << false << false;
    QTest::newRow("response file only") << false << true << false;
    QTest::newRow("both") << true << true << true;
}

void WindowAtStartTest::converterOffer()
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

void WindowAtStartTest::noHandlerOrRuleAtStart()
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

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    WindowAtStartTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_at_start_test.moc"
