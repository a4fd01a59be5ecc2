#include "installer/setup/SetupPages.h"

#include "installer/logic/StringTable.h"
#include "installer/setup/CSortedListItem.h"
#include "installer/setup/DialogUnits.h"
#include "installer/setup/SetupResources.h"

#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

namespace setup {

namespace {

QString qs(std::string_view text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }
std::string ss(const QString& text) { return text.toLocal8Bit().toStdString(); }

QLineEdit* addEdit(QWidget* parent, int id, QRect where, const std::string& text, int maxLength) {
    auto* edit = new QLineEdit(qs(text), parent);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(where);
    edit->setMaxLength(maxLength);
    return edit;
}

}  // namespace

// ---- Welcome ----

CWelcomePage::CWelcomePage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 133, QStringLiteral("Welcome"), owner) {
    const auto& header = app.info().header;
    // The product's name and version stand in the sentence as stored.
    addStatic(1006, dlu(91, 4, 199, 42),
              QStringLiteral("Welcome to the %1 installation program. This program will install %2 %3 on your computer.")
                  .arg(qs(header.productName), qs(header.productName), qs(header.version)));
    addStatic(1005, dlu(91, 48, 199, 50),
              QStringLiteral("The installation program cannot update files that are in use by other Windows-programs.\n"
                             "Please close all currently active programs before proceeding.\n\n"
                             "Click <Next> to proceed the installation."));
    // The protection warning (1007) is no control of this template, so hiding it changes nothing;
    // the advice above always stays.
    if (!app.info().welcome.protectionWarning) HideControl(1007);
    HideControl(page::Back);
}

// ---- Licence agreement ----

CLicensePage::CLicensePage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 134, QStringLiteral("License-agreement"), owner, false) {
    addStatic(1009, dlu(2, 8, 293, 18),
              QStringLiteral("Please read the following license-agreement. Then click <Next> to accept the license-agreement."));
    auto* text = new QPlainTextEdit(qs(app.ExpandVariables(app.info().license.text)), this);
    text->setObjectName(QStringLiteral("1008"));
    text->setGeometry(dlu(3, 33, 295, 103));
    text->setReadOnly(true);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addStatic(1010, dlu(2, 144, 293, 18),
              QStringLiteral("By clicking <Next> you accept the license agreement. The installation of %1 will proceed "
                             "when you click <Next>.")
                  .arg(qs(app.info().header.productName)));
}

// ---- User information ----

CUserInfoPage::CUserInfoPage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 135, QStringLiteral("User information"), owner) {
    addStatic(1011, dlu(93, 7, 204, 64), qs(app.ExpandVariables(app.info().user.text)));
    addStatic(0, dlu(93, 74, 22, 8), QStringLiteral("Name:"));
    name_ = addEdit(this, 1014, dlu(149, 71, 147, 14), app.userName, 64);
    addStatic(0, dlu(93, 95, 32, 8), QStringLiteral("Company:"));
    company_ = addEdit(this, 1013, dlu(149, 92, 147, 14), app.company, 64);
    name_->setFocus();
}

void CUserInfoPage::OnNext() { ValidateAndNext(!name_->text().isEmpty(), ids::EnterName, name_); }

void CUserInfoPage::StorePageValues() {
    app_.userName = ss(name_->text());
    app_.company = ss(company_->text());
}

// ---- Program group ----

CProgramGroupPage::CProgramGroupPage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 136, QStringLiteral("Choose a programgroup"), owner) {
    addStatic(1016, dlu(92, 7, 206, 49), qs(app.ExpandVariables(app.info().programGroup.text)));
    addStatic(0, dlu(92, 59, 50, 8), QStringLiteral("Programgroups:"));
    const QRect area = dlu(92, 71, 206, 91);
    group_ = addEdit(this, 1015, QRect(area.left(), area.top(), area.width(), 20), app.programGroupName, 32767);
    groups_ = new QListWidget(this);
    groups_->setObjectName(QStringLiteral("1015.list"));
    groups_->setGeometry(area.left(), area.top() + 21, area.width(), area.height() - 21);
    groups_->setSortingEnabled(true);
    groups_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Every folder directly inside the user's Programs folder; none when it cannot be read.
    const std::string programs = app.machine().programsFolder();
    if (!programs.empty())
        if (auto names = app.files().subfolders(programs))
            for (const auto& name : *names)
                if (name != "." && name != "..") groups_->addItem(new CSortedListItem(qs(name)));
    connect(groups_, &QListWidget::currentTextChanged, group_, &QLineEdit::setText);
}

void CProgramGroupPage::showEvent(QShowEvent* event) {
    CWizardPage::showEvent(event);
    group_->setFocus();
    group_->setCursorPosition(0);
    group_->deselect();
}

void CProgramGroupPage::OnNext() { ValidateAndNext(!group_->text().isEmpty(), ids::EnterProgramGroup, group_); }

void CProgramGroupPage::StorePageValues() { app_.programGroupName = ss(group_->text()); }

// ---- Setup type ----

CSetupTypePage::CSetupTypePage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 137, QStringLiteral("Setup-type"), owner) {
    addStatic(0, dlu(99, 15, 142, 8), QStringLiteral("Choose the type of Setup, then click <Next>,"));
    struct Line {
        int id, descriptionId;
        QRect button, description;
        const char* name;
        const char* text;
        uint32_t type;
    };
    const Line lines[] = {
        {1020, 1023, dlu(97, 47, 39, 10), dlu(162, 47, 128, 17), "Minimal",
         "Only the necessary components will be installed.", setuptype::Minimal},
        {1021, 1024, dlu(97, 85, 38, 10), dlu(162, 86, 128, 26), "Normal",
         "The most common components will be installed.\nRecommended for most users.", setuptype::Normal},
        {1022, 1025, dlu(97, 123, 39, 10), dlu(162, 124, 128, 26), "Custom",
         "You may choose the components you want to install.", setuptype::Custom},
    };
    int index = 0;
    for (const auto& line : lines) {
        auto* radio = new QRadioButton(QString::fromLatin1(line.name), this);
        radio->setObjectName(QString::number(line.id));
        radio->setGeometry(line.button);
        buttons_.addButton(radio, index++);
        addStatic(line.descriptionId, line.description, QString::fromLatin1(line.text));
        if (!(app.availableSetupTypes & line.type)) {
            HideControl(line.id);
            HideControl(line.descriptionId);
        }
        if (app.chosenSetupType == line.type) radio->setChecked(true);
    }
}

void CSetupTypePage::StorePageValues() {
    switch (buttons_.checkedId()) {
        case 0: app_.chosenSetupType = setuptype::Minimal; break;
        case 1: app_.chosenSetupType = setuptype::Normal; break;
        case 2: app_.chosenSetupType = setuptype::Custom; break;
        default: break;  // none marked: the type stays
    }
}

// ---- Destination folder ----

CDestinationPage::CDestinationPage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 139, QStringLiteral("Destination folder"), owner) {
    addStatic(1036, dlu(89, 10, 201, 27),
              qs(app.ExpandVariables("Choose the folder where you want ^PRODUCTNAME^ to be installed in.")));
    addStatic(0, dlu(89, 74, 56, 8), QStringLiteral("Destination folder"));
    // The default destination holds 254 characters; the field takes no more.
    folder_ = addEdit(this, 1035, dlu(89, 84, 156, 14), app.ExpandVariables(app.info().header.defaultDestination), 254);
    auto* browse = addButton(1037, dlu(249, 85, 50, 12), QStringLiteral("&Browse..."));
    connect(browse, &QPushButton::clicked, this, [this] {
        std::string chosen = PickFolder(app_, this, QStringLiteral("Choose folder"), ss(folder_->text()));
        if (!chosen.empty()) folder_->setText(qs(chosen));
    });
    folder_->setFocus();
}

void CDestinationPage::StorePageValues() { app_.info().header.defaultDestination = ss(folder_->text()); }

// ---- Finished ----

CFinishedPage::CFinishedPage(CSetupApp& app, QWidget* owner)
    : CWizardPage(app, 140, QStringLiteral("Finished"), owner) {
    const auto& finished = app.info().finished;
    addStatic(1038, dlu(91, 9, 205, 66), qs(app.ExpandVariables(finished.text)));
    auto* first = new QRadioButton(qs(app.ExpandVariables(finished.firstChoice)), this);
    first->setObjectName(QStringLiteral("1039"));
    first->setGeometry(dlu(93, 82, 203, 10));
    auto* second = new QRadioButton(qs(app.ExpandVariables(finished.secondChoice)), this);
    second->setObjectName(QStringLiteral("1040"));
    second->setGeometry(dlu(93, 96, 203, 10));
    choices_.addButton(first, 0);
    choices_.addButton(second, 1);
    addStatic(1041, dlu(93, 129, 203, 31),
              QStringLiteral("Remove any discs from their drives and click <Finish> to complete the installation."));
    if (finished.restartOffered) {
        first->setChecked(true);
    } else {
        HideControl(1039);
        HideControl(1040);
        HideControl(1041);
    }
    HideControl(page::Back);
    HideControl(page::Cancel);
    next_->setText(QStringLiteral("&Finish"));
}

void CFinishedPage::StorePageValues() { app_.restart = choices_.checkedId() == 0; }

// ---- Readme ----

CReadmeDialog::CReadmeDialog(CSetupApp& app, QWidget* owner) : QDialog(owner), app_(app) {
    setObjectName(QStringLiteral("142"));
    setWindowTitle(QStringLiteral("Readme"));
    setFont(dialogFont());
    setFixedSize(dluSize(303, 194));
    setWindowFlags(DialogFlags);
    PlaceDialog(this);
    auto* picture = new QLabel(this);
    picture->setGeometry(dlu(3, 1, 81, 161));
    picture->setPixmap(LoadSetupBitmap(SidePictureId).scaled(picture->size()));
    auto* notice = new QLabel(QStringLiteral("This product contains a Readme file with the latest information."), this);
    notice->setTextFormat(Qt::PlainText);
    notice->setGeometry(dlu(93, 10, 197, 36));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    show_ = new QCheckBox(qs(app.ExpandVariables(app.info().readme.checkBoxText)), this);
    show_->setObjectName(QStringLiteral("1045"));
    show_->setGeometry(dlu(93, 79, 203, 8));
    show_->setChecked(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(dlu(185, 178, 50, 12));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CReadmeDialog::accept);
}

void CReadmeDialog::accept() {
    app_.showReadme = show_->isChecked();
    done(page::Next);
}

void CReadmeDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    PaintSeparator(this);
}

}  // namespace setup
