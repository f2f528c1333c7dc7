#include "preview_window.h"

#include "frame_centring.h"
#include "item_details.h"
#include "window_role.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMoveEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr double millimetresPerPoint = 25.4 / 72;

QString number(double value)
{
    return QLocale(QLocale::French, QLocale::France).toString(value, 'f', 1);
}

QString points(double value)
{
    // Whole points as whole numbers; a fraction only where the box has one.
    return value == static_cast<long long>(value) ? QString::number(static_cast<long long>(value))
                                                  : number(value);
}

} // namespace

PreviewWindow::PreviewWindow(QWidget *owner)
    : QDialog(owner), m_picture(new QLabel(this)), m_problem(new QLabel(this)),
      m_facts(new QLabel(this)), m_resized(new QTimer(this))
{
    setObjectName(QStringLiteral("Apercu"));
    setModal(false);
    setWindowTitle(QStringLiteral("Aperçu"));
    m_picture->setObjectName(QStringLiteral("ApercuImage"));
    m_picture->setAccessibleName(QStringLiteral("Aperçu"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(200, 200);
    m_picture->setWordWrap(true);
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_problem->setObjectName(QStringLiteral("ApercuProbleme"));
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->hide();
    m_facts->setObjectName(QStringLiteral("ApercuDetails"));
    m_facts->setAccessibleName(QStringLiteral("Détails du fichier"));
    m_facts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_problem);
    layout->addWidget(m_facts);
    resize(420, 460);

    // A resize re-renders once it has settled, the picture scaled meanwhile.
    m_resized->setSingleShot(true);
    m_resized->setInterval(150);
    connect(m_resized, &QTimer::timeout, this, [this] { render(); });
    connect(&m_renderer, &preview::PreviewRenderer::provisional, this,
            [this](const QByteArray &path, const QImage &image) {
                if (path == m_path)
                    display(image);
            });
    connect(&m_renderer, &preview::PreviewRenderer::shown, this,
            [this](const QByteArray &path, const QImage &image) {
                if (path != m_path)
                    return;
                display(image);
                if (!m_next.isEmpty())
                    m_renderer.prefetch(m_next, pictureSize());
            });
    connect(&m_renderer, &preview::PreviewRenderer::failed, this,
            [this](const QByteArray &path, const QString &reason) {
                if (path == m_path)
                    showFailure(reason);
            });
    WindowRole::reportAsWindow(this);
    if (owner)
        owner->window()->installEventFilter(this);
}

void PreviewWindow::showFailure(const QString &reason)
{
    // A picture shown for this file by now is its own TIFF preview: still worth seeing, with
    // why Ghostscript could not draw it below.
    if (!m_image.isNull()) {
        m_problem->setText(reason);
        m_problem->show();
        return;
    }
    m_picture->setPixmap(QPixmap());
    m_picture->setText(reason);
}

QString PreviewWindow::problem() const
{
    return m_problem->isVisible() ? m_problem->text() : QString();
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The main window moved: the preview moves with it, keeping its place beside it.
    if (event->type() == QEvent::Move && isVisible() && watched == parentWidget()->window()) {
        const auto *moved = static_cast<QMoveEvent *>(event);
        move(pos() + moved->pos() - moved->oldPos());
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::showFile(const QByteArray &path, const QString &name,
                             const QList<QByteArray> &next)
{
    if (m_frozen)
        return;
    setWindowTitle(QStringLiteral("Aperçu – ") + name);
    m_next = next;
    if (path == m_path && !m_image.isNull())
        return;
    m_path = path;
    m_image = QImage();
    m_problem->hide();
    m_picture->setPixmap(QPixmap());
    m_picture->setText(QStringLiteral("Rendu en cours…"));
    showFacts(preview::readEpsFacts(path));
    render();
}

QString PreviewWindow::message() const
{
    return m_picture->pixmap().isNull() ? m_picture->text() : QString();
}

QSize PreviewWindow::pictureSize() const
{
    // Rendered for the screen's own pixels, so that it stays sharp at any scale.
    return m_picture->size() * m_picture->devicePixelRatioF();
}

void PreviewWindow::render()
{
    if (!m_path.isEmpty() && isVisible())
        m_renderer.request(m_path, pictureSize());
}

void PreviewWindow::display(const QImage &image)
{
    m_image = image;
    const QSize target = pictureSize();
    QImage fitted =
        image.size().boundedTo(target) == image.size() && image.width() >= target.width() - 1
            ? image
            : image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(m_picture->devicePixelRatioF());
    m_picture->setText(QString());
    m_picture->setPixmap(QPixmap::fromImage(fitted));
}

void PreviewWindow::showFacts(const preview::EpsFacts &facts)
{
    QString box = QStringLiteral("Boîte englobante : aucune");
    if (facts.box) {
        const double width = facts.box->width();
        const double height = facts.box->height();
        box = QStringLiteral("Boîte englobante : %1 × %2 points (%3 × %4 mm)")
                  .arg(points(width), points(height), number(width * millimetresPerPoint),
                       number(height * millimetresPerPoint));
    }
    m_facts->setText(box + QLatin1Char('\n') + QStringLiteral("Taille du fichier : ") +
                     shell::ItemDetails::formatSize(facts.fileSize));
    // A label gives screen readers its name only, and its name is what it is: the facts
    // themselves are read as its description.
    m_facts->setAccessibleDescription(m_facts->text());
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (!m_image.isNull())
        display(m_image);
    m_resized->start();
}

void PreviewWindow::setVisible(bool visible)
{
    // Beside the main window as it stands now: it may have moved since the last showing.
    if (visible && !isVisible() && parentWidget())
        placeBesideOwner();
    QDialog::setVisible(visible);
}

void PreviewWindow::placeBesideOwner()
{
    // Beside the main window rather than over its lists, on the side with more room, narrowed
    // to fit there if need be; placed by its frame as the window manager draws it, and placed
    // again once framed if the frame differs (a window shown before gets its frame back only
    // then). Where neither side has room for a useful picture, the dialog's own centring over
    // its owner stays.
    constexpr int gap = 8;
    constexpr int frame = 16; // the window manager's borders, for the narrowing
    constexpr int narrowest = 260;
    QWidget *ownerWindow = parentWidget()->window();
    const QRect owner = ownerWindow->frameGeometry();
    const QRect screen = parentWidget()->screen()->availableGeometry();
    const int right = screen.right() - owner.right() - gap;
    const int left = owner.left() - screen.left() - gap;
    const int room = std::max(right, left);
    if (room - frame < narrowest)
        return;
    resize(std::min(width(), room - frame), height());
    const bool onTheRight = right >= left;
    FrameCentring::atNextShow(
        this,
        [owner, onTheRight](const QSize &size) {
            return QPoint(onTheRight ? owner.right() + gap : owner.left() - gap - size.width(),
                          owner.top());
        },
        ownerWindow);
}

void PreviewWindow::hideEvent(QHideEvent *event)
{
    m_renderer.cancel();
    QDialog::hideEvent(event);
}

void PreviewWindow::keyPressEvent(QKeyEvent *event)
{
    // F3 hides it from here too, as it shows and hides it from the lists.
    if (event->key() == Qt::Key_F3 && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QDialog::keyPressEvent(event);
}
