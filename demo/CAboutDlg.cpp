#include "demo/CAboutDlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "demo/QvAppTitle.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromLatin1(kQvAppTitle)));

    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("id128"));
    QIcon appIcon = QApplication::windowIcon();
    if (appIcon.isNull()) appIcon = style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    icon->setPixmap(appIcon.pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);

    layout->addWidget(new QLabel(QStringLiteral("%1 Version 1.0").arg(QString::fromLatin1(kQvAppTitle)), this), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Reports from XML templates and XML data"), this), 1, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
