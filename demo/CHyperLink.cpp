#include "demo/CHyperLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include "demo/QvAppTitle.h"

namespace {

// Shell results: above this is success.
constexpr int kShellOk = 33;
constexpr int kShellFileNotFound = 2;
constexpr int kShellNoAssociation = 31;
constexpr int kShellBadAssociation = 27;

CHyperLink::Opener& CustomOpener() {
    static CHyperLink::Opener opener;
    return opener;
}

// The Exec line of the desktop file that handles text/html, as xdg-mime
// reports the default; empty when there is none.
QString DefaultHtmlHandlerCommand() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    const QString desktopId = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (desktopId.isEmpty()) return {};
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Exec="))) return line.mid(5).trimmed();
    }
    return {};
}

}  // namespace

CHyperLink::CHyperLink(const QString& text, QWidget* parent, const QString& target, unsigned options)
    : QLabel(text, parent), m_strTarget(target), m_nOptions(options) {
    if (m_strTarget.isEmpty()) m_strTarget = QLabel::text();
    if (QLabel::text().isEmpty()) setText(m_strTarget);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    // Reachable from the keyboard too, where the space bar opens it.
    setFocusPolicy(Qt::TabFocus);
    ApplyFontAndCursor();
    setToolTip(m_strTarget);
    Repaint();
}

CHyperLink::~CHyperLink() = default;

void CHyperLink::SetOpener(Opener opener) { CustomOpener() = std::move(opener); }

void CHyperLink::SetTarget(const QString& target) {
    m_strTarget = target;
    FitToText();
    setToolTip(m_strTarget);
}

void CHyperLink::SetOptions(unsigned options) {
    m_nOptions = options;
    ApplyFontAndCursor();
    Repaint();
}

void CHyperLink::ApplyFontAndCursor() {
    QFont linkFont = font();
    linkFont.setUnderline((m_nOptions & kHlUnderline) != 0);
    setFont(linkFont);
    FitToText();
    if (m_nOptions & kHlNoHandCursor) unsetCursor();
    else setCursor(Qt::PointingHandCursor);
}

void CHyperLink::FitToText() {
    if (!(m_nOptions & kHlAutoSize)) return;
    const QRect window = geometry();
    const QRect client = contentsRect();
    const QSize textSize = QFontMetrics(font()).size(Qt::TextSingleLine, text());
    // The client area in the parent's coordinates, shrunk to the text the way
    // the text is aligned in it.
    QRect fitted(window.topLeft() + client.topLeft(), client.size());
    if (alignment() & Qt::AlignVCenter) fitted.setTop(fitted.top() + (client.height() - textSize.height()) / 2);
    fitted.setHeight(textSize.height());
    if (alignment() & Qt::AlignHCenter) fitted.setLeft(fitted.left() + (client.width() - textSize.width()) / 2);
    else if (alignment() & Qt::AlignRight) fitted.setLeft(fitted.right() + 1 - textSize.width());
    fitted.setWidth(textSize.width());
    // Widened again by the borders.
    const QSize border = window.size() - client.size();
    setGeometry(fitted.left() - client.left(), fitted.top() - client.top(), fitted.width() + border.width(),
                fitted.height() + border.height());
}

QColor CHyperLink::TextColor() const {
    if (m_bOver && (m_nOptions & kHlUseHover)) return HoverColor();
    if (m_bActive && !(m_nOptions & kHlNoActiveColor)) return FocusColor();
    return m_bVisited ? VisitedColor() : LinkColor();
}

void CHyperLink::Repaint() {
    const QColor color = TextColor();
    if (palette().color(QPalette::WindowText) != color) {
        QPalette p = palette();
        p.setColor(QPalette::WindowText, color);
        setPalette(p);
    }
    update();
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (m_bOver) return;
    m_bOver = true;
    Repaint();
}

void CHyperLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (!m_bOver) return;
    m_bOver = false;
    Repaint();
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (m_nOptions & kHlGetFocusOnClick) setFocus(Qt::MouseFocusReason);
    if (m_nOptions & kHlDownClick) OpenLink();
    m_bActive = true;
    Repaint();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // A press dragged off the link before release opens nothing.
    if (m_bActive && !(m_nOptions & kHlDownClick) && rect().contains(event->position().toPoint())) OpenLink();
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    m_bActive = true;
    Repaint();
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    m_bOver = false;
    m_bActive = false;
    Repaint();
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        OpenLink();
        return;
    }
    QLabel::keyPressEvent(event);
}

bool CHyperLink::OpenLink() {
    const int result = CustomOpener() ? CustomOpener()(m_strTarget) : ShellOpen(m_strTarget);
    if (result > 32) {
        m_bVisited = true;
        Repaint();
        emit LinkOpened();
        return true;
    }
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kQvAppTitle),
                    QStringLiteral("Can't open link:\n\n") + ErrorText(result), QMessageBox::Ok, this);
    box.exec();
    return false;
}

int CHyperLink::ShellOpen(const QString& target) {
    if (QDesktopServices::openUrl(QUrl::fromUserInput(target))) return kShellOk;
    // The desktop could not open it: start the default HTML program directly.
    const QString handler = DefaultHtmlHandlerCommand();
    if (handler.isEmpty()) return kShellNoAssociation;
    QStringList arguments = QProcess::splitCommand(CutAtPlaceholder(handler) + QLatin1Char(' ') + target);
    if (arguments.isEmpty()) return kShellBadAssociation;
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments) ? kShellOk : kShellFileNotFound;
}

QString CHyperLink::CutAtPlaceholder(const QString& commandLine) {
    // %1 is the placeholder of association command lines; desktop entries use
    // field codes for the same place.
    static const char* const kPlaceholders[] = {"%1", "%u", "%U", "%f", "%F"};
    const auto earliest = [&](bool quoted) {
        qsizetype best = -1;
        for (const char* placeholder : kPlaceholders) {
            QString needle = QString::fromLatin1(placeholder);
            if (quoted) needle = QLatin1Char('"') + needle + QLatin1Char('"');
            const qsizetype at = commandLine.indexOf(needle);
            if (at >= 0 && (best < 0 || at < best)) best = at;
        }
        return best;
    };
    qsizetype cut = earliest(true);
    if (cut < 0) cut = earliest(false);
    return cut < 0 ? commandLine : commandLine.left(cut);
}

QString CHyperLink::ErrorText(int result) {
    switch (result) {
    case 0: return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("The specified path was not found.");
    case 5: return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8: return QStringLiteral("There was not enough memory to complete the operation.");
    case 11: return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26: return QStringLiteral("A sharing violation occurred. ");
    case 27: return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28: return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29: return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    case 31: return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32: return QStringLiteral("The specified dynamic-link library was not found.");
    default: return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
    }
}
