#include "app/ui/FProps.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FProps::FProps(QWidget* owner) : QDialog(owner) {
    setObjectName("FProps");
    lblFilename = new QLabel(this);
    lblFilename->setObjectName("lblFilename");
    lblFilename->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProperties = new QLabel(this);
    lblProperties->setObjectName("lblProperties");
    lblProperties->setTextFormat(Qt::PlainText);
    lblProperties->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblProperties->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProperties->setFrameShape(QFrame::StyledPanel);
    lblProperties->setFrameShadow(QFrame::Sunken);
    lblProperties->setMargin(6);
    lblProperties->setMinimumSize(300, 120);
    cmdOK = new QPushButton("OK", this);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto* all = new QVBoxLayout(this);
    all->addWidget(lblFilename);
    all->addWidget(lblProperties, 1);
    all->addLayout(buttons);
}

void FProps::SetTexts(const QString& nameLine, const QString& properties) {
    setWindowTitle("Properties");
    lblFilename->setText(nameLine);
    // The text keeps its CR LF line ends; the label breaks lines at the LF.
    lblProperties->setText(properties);
}
