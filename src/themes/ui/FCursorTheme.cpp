#include "themes/ui/FCursorTheme.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "platform/ui/cPrompts.h"
#include "themes/cCursorTheme.h"

namespace {

using mQtText::Q;

QString ErrorText(const std::exception& e) {
    const auto* c = dynamic_cast<const cError*>(&e);
    return Q(c ? c->Description() : std::string(e.what()));
}

} // namespace

FCursorTheme::FCursorTheme(QWidget* owner, std::string dir)
    : QDialog(owner), dir_(dir.empty() ? cCursorTheme::DefaultDir() : std::move(dir)) {
    setWindowTitle(tr("Make Cursor Theme"));
    setObjectName("FCursorTheme");

    lblPack = new QLabel(tr("Cursor &pack:"), this);
    edtPack = new QLineEdit(this);
    edtPack->setObjectName("edtPack");
    edtPack->setReadOnly(true);
    edtPack->setMinimumWidth(320);
    edtPack->setAccessibleName(tr("Cursor pack"));
    lblPack->setBuddy(edtPack);
    cmdFolder = new QPushButton(tr("&Folder..."), this);
    cmdInf = new QPushButton(tr("INF Fil&e..."), this);
    lblName = new QLabel(tr("Theme &name:"), this);
    edtName = new QLineEdit(this);
    edtName->setObjectName("edtName");
    edtName->setAccessibleName(tr("Theme name"));
    lblName->setBuddy(edtName);
    txtReport = new QPlainTextEdit(this);
    txtReport->setObjectName("txtReport");
    txtReport->setReadOnly(true);
    txtReport->setAccessibleName(tr("Report"));
    txtReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtReport->setMinimumSize(560, 260);
    txtReport->setPlainText(tr("Choose a folder of .cur and .ani files, or its INF file. The theme is "
                               "installed for you in %1.")
                                .arg(Q(dir_)));
    cmdInstall = new QPushButton(tr("&Install"), this);
    cmdInstall->setEnabled(false);
    cmdClose = new QPushButton(tr("&Close"), this);
    for (QPushButton* b : {cmdFolder, cmdInf, cmdInstall, cmdClose}) b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lblPack, 0, 0);
    grid->addWidget(edtPack, 0, 1);
    grid->addWidget(cmdFolder, 0, 2);
    grid->addWidget(cmdInf, 0, 3);
    grid->addWidget(lblName, 1, 0);
    grid->addWidget(edtName, 1, 1, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdInstall);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(txtReport);
    layout->addLayout(buttons);

    connect(cmdFolder, &QPushButton::clicked, this, &FCursorTheme::cmdFolder_Click);
    connect(cmdInf, &QPushButton::clicked, this, &FCursorTheme::cmdInf_Click);
    connect(cmdInstall, &QPushButton::clicked, this, &FCursorTheme::Install);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(edtName, &QLineEdit::textChanged, this,
            [this] { cmdInstall->setEnabled(!pack_.empty() && !edtName->text().trimmed().isEmpty()); });
}

void FCursorTheme::cmdFolder_Click() {
    const auto folder = cPrompts::Current().Folder(this, tr("Cursor Pack"), pack_.empty() ? QString() : Q(pack_));
    if (folder) SetPack(mQtPath::FromQt(*folder));
}

void FCursorTheme::cmdInf_Click() {
    cPrompts::cFileRequest request;
    request.title = tr("Cursor Pack");
    request.filters = {{tr("Setup Information (*.inf)"), "*.inf"}, {tr("All Files (*.*)"), "*.*"}};
    request.fileMustExist = true;
    const cPrompts::cFileAnswer answer = cPrompts::Current().OpenFile(this, request);
    if (answer.confirmed && !answer.files.isEmpty()) SetPack(mQtPath::FromQt(answer.files.front()));
}

void FCursorTheme::SetPack(const std::string& pack) {
    pack_ = pack;
    installed_.clear();
    edtPack->setText(Q(pack));
    cCursorTheme theme;
    try {
        theme.Find(pack);
    } catch (const std::exception& e) {
        pack_.clear();
        edtName->clear();
        cmdInstall->setEnabled(false);
        txtReport->setPlainText(ErrorText(e));
        return;
    }
    edtName->setText(Q(theme.DefaultName()));
    cmdInstall->setEnabled(true);
    QString found;
    for (std::size_t r = 0; r < theme.Results().size(); ++r) {
        const auto& role = theme.Results()[r];
        if (role.status == cCursorTheme::eStatus::kNotNamed) continue;
        found += Q(mCursorRoles::Roles()[r].title) + ": " + Q(role.file) +
                 (role.status == cCursorTheme::eStatus::kMissing ? tr(" (missing)") : QString()) + "\n";
    }
    txtReport->setPlainText(found);
}

void FCursorTheme::Install() {
    installed_.clear();
    const std::string name = mQtText::Utf8(edtName->text().trimmed());
    if (pack_.empty()) return;
    if (cCursorTheme::FolderName(name) != name || name.empty()) {
        txtReport->setPlainText(tr("\"%1\" cannot name a theme folder.").arg(Q(name)));
        return;
    }
    cCursorTheme theme;
    QString text;
    try {
        cError::Guarded([&] {
            theme.Find(pack_);
            theme.Convert();
            theme.Write(dir_, name);
            return true;
        });
        installed_ = theme.ThemeFolder();
        text = Q(theme.ReportText()) + "\n" + Q(cCursorTheme::HowToChoose(name, dir_));
    } catch (const std::exception& e) {
        text = ErrorText(e) + "\n\n" + Q(theme.ReportText());
    }
    txtReport->setPlainText(text);
}
