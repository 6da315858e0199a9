#include "app/ui/FLauncher.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "base/ui/mQtText.h"
#include "icon/mFileKind.h"
#include "platform/ui/cPrompts.h"
#include "support/MError.h"

namespace {

using mQtText::Q;

} // namespace

FLauncher::FLauncher(QWidget* owner, std::string file, const cFileIcon& icon, std::string dataHome)
    : QDialog(owner), file_(std::move(file)),
      dataHome_(dataHome.empty() ? mLauncher::DefaultDataHome() : std::move(dataHome)) {
    icon.CloneTo(icon_);
    setWindowTitle(tr("Add to Applications Menu"));
    setObjectName("FLauncher");

    lblName = new QLabel(tr("&Name:"), this);
    edtName = new QLineEdit(this);
    edtName->setObjectName("edtName");
    edtName->setAccessibleName(tr("Name"));
    edtName->setMinimumWidth(420);
    lblName->setBuddy(edtName);
    lblCommand = new QLabel(tr("Co&mmand:"), this);
    edtCommand = new QLineEdit(this);
    edtCommand->setObjectName("edtCommand");
    edtCommand->setAccessibleName(tr("Command"));
    lblCommand->setBuddy(edtCommand);
    lblCategories = new QLabel(tr("C&ategories:"), this);
    edtCategories = new QLineEdit(this);
    edtCategories->setObjectName("edtCategories");
    edtCategories->setAccessibleName(tr("Categories"));
    edtCategories->setPlaceholderText(tr("such as Game; or Office;Utility;"));
    lblCategories->setBuddy(edtCategories);
    lblSizes = new QLabel(tr("&Icon sizes:"), this);
    txtSizes = new QPlainTextEdit(this);
    txtSizes->setObjectName("txtSizes");
    txtSizes->setReadOnly(true);
    txtSizes->setAccessibleName(tr("Icon sizes"));
    txtSizes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtSizes->setMinimumHeight(160);
    lblSizes->setBuddy(txtSizes);
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(tr("Cancel"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(lblName, 0, 0);
    grid->addWidget(edtName, 0, 1);
    grid->addWidget(lblCommand, 1, 0);
    grid->addWidget(edtCommand, 1, 1);
    grid->addWidget(lblCategories, 2, 0);
    grid->addWidget(edtCategories, 2, 1);
    grid->addWidget(lblSizes, 3, 0, Qt::AlignTop);
    grid->addWidget(txtSizes, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    // What the command line would choose. A shortcut whose target is gone has no command to
    // offer: the reason stands where the sizes would, and the user may type one.
    QString problem;
    edtName->setText(Q(mLauncher::DefaultName(file_)));
    if (mLauncher::IsProgram(file_) || mFileKind::IsContainer(mFileKind::KindOf(file_))) {
        try {
            defaultExec_ = mLauncher::DefaultExec(file_);
        } catch (const cError& e) {
            problem = Q(e.Description()) + "\n\n";
        }
    } else {
        edtCommand->setPlaceholderText(tr("the program that opens this icon, such as: gimp %f"));
    }
    edtCommand->setText(Q(defaultExec_));
    edtCommand->setCursorPosition(0); // the program, not the end of its path

    QString sizes;
    try {
        for (const mLauncher::cSizePlan& p : mLauncher::PlanSizes(icon_)) {
            QString line = tr("%1 x %1").arg(p.size);
            if (p.scaled)
                line += "  " + tr("scaled from %1 x %2").arg(p.fromWidth).arg(p.fromHeight);
            else if (p.stored)
                line += "  " + tr("PNG image as stored");
            sizes += line + "\n";
        }
        sizesOk_ = !sizes.isEmpty();
        if (sizesOk_ && !mLauncher::Drawing(file_).empty()) sizes += tr("scalable  SVG drawing as stored") + "\n";
        if (!sizesOk_)
            sizes =
                tr("The icon has no image of %1 pixels or more; the menu needs one.").arg(mLauncher::kThemeSizes[0]);
    } catch (const cError& e) {
        sizes = Q(e.Description());
    }
    txtSizes->setPlainText(problem + sizes);

    connect(edtName, &QLineEdit::textChanged, this, &FLauncher::UpdateOK);
    connect(edtCommand, &QLineEdit::textChanged, this, &FLauncher::UpdateOK);
    connect(cmdOK, &QPushButton::clicked, this, &FLauncher::Write);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateOK();
}

void FLauncher::UpdateOK() {
    cmdOK->setEnabled(sizesOk_ && !edtName->text().trimmed().isEmpty() && !edtCommand->text().trimmed().isEmpty());
}

void FLauncher::Write() {
    if (!cmdOK->isEnabled()) return;
    mLauncher::cRequest request;
    request.file = file_;
    request.icon = &icon_;
    request.name = mQtText::Utf8(edtName->text().trimmed());
    const std::string command = mQtText::Utf8(edtCommand->text().trimmed());
    request.exec = command == defaultExec_ ? std::string() : command;
    request.categories = mQtText::Utf8(edtCategories->text());
    request.dataHome = dataHome_;
    const QString title = Q(MError::kTitle);
    try {
        try {
            result_ = mLauncher::Create(request);
        } catch (const cError& e) {
            if (e.Number() != mLauncher::kErrOurs) throw;
            const QString question = tr("Pictrix made a menu entry for this file before.\nDo you want to replace it?");
            if (cPrompts::Current().Message(this, question, cPrompts::eButtons::YesNo, cPrompts::eIcon::Question,
                                            title) != cPrompts::eAnswer::Yes)
                return;
            request.replaceOurs = true;
            result_ = mLauncher::Create(request);
        }
    } catch (const cError& e) {
        if (e.Number() == mLauncher::kErrExists) {
            // Someone else's file at one of the names: said plainly, without the command line's
            // way past it.
            std::string what = e.Description();
            const std::string_view hint = mLauncher::kReplaceHint;
            if (what.size() >= hint.size() && what.compare(what.size() - hint.size(), hint.size(), hint) == 0)
                what.resize(what.size() - hint.size());
            cPrompts::Current().Message(this,
                                        tr("The menu entry was not made: %1.\nPictrix replaces only files it wrote; "
                                           "move that file away or choose another name.")
                                            .arg(Q(what)),
                                        cPrompts::eButtons::OK, cPrompts::eIcon::Exclamation, title);
            return;
        }
        MError::ReportError(e, true, true);
        return;
    }

    QString desktop, icons;
    int sizes = 0;
    for (const std::string& path : result_.written) {
        if (path.size() > 8 && path.compare(path.size() - 8, 8, ".desktop") == 0) {
            desktop = Q(path);
        } else {
            ++sizes;
            // .../icons/hicolor/SxS/apps/ID.png: the theme's folder.
            icons = Q(std::filesystem::path(path).parent_path().parent_path().parent_path().string());
        }
    }
    cPrompts::Current().Message(
        this,
        tr("\"%1\" is in the applications menu.\n\nDesktop entry: %2\nIcon: %3 at %4 sizes, "
           "in %5\n\npictrix-cli launcher --remove %3 removes it.")
            .arg(edtName->text().trimmed(), desktop, Q(result_.id), QString::number(sizes), icons),
        cPrompts::eButtons::OK, cPrompts::eIcon::Information, title);
    accept();
}
