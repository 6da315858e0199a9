#include "app/ui/FAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/mAppIcon.h"

FAbout::FAbout(QWidget* owner)
    : QDialog(owner), imgIcon(new QLabel(this)), lblTitle(new QLabel(tr("Pictrix"), this)),
      lblVersion(new QLabel(VersionText(), this)),
      lblDescription(
          new QLabel(tr("Finds, shows and saves the icons stored in icon files and program modules."), this)),
      cmdOK(new QPushButton(tr("OK"), this)), tmrClose(new QTimer(this)) {
    setWindowTitle(tr("About Pictrix"));
    setModal(true);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblTitle->setFont(big);
    lblDescription->setWordWrap(true);

    imgIcon->setPixmap(mAppIcon::Icon().pixmap(QSize(48, 48), devicePixelRatioF()));
    imgIcon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblDescription);
    texts->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(imgIcon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    tmrClose->setInterval(kSplashInterval);
    tmrClose->setSingleShot(true);
    connect(tmrClose, &QTimer::timeout, this, &QDialog::accept);
}

void FAbout::ShowSplash() {
    cmdOK->setVisible(false);
    tmrClose->start();
    exec();
    tmrClose->stop();
}

QString FAbout::VersionText() { return tr("Version %1").arg(QStringLiteral(PICTRIX_VERSION)); }
