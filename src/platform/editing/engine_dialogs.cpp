#include "platform/editing/engine_dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget *parent, FindFunction find)
    : QDialog(parent)
    , m_findFunction(std::move(find))
    , m_text(new QLineEdit)
    , m_matchCase(new QCheckBox(tr("Match &case")))
    , m_wholeWord(new QCheckBox(tr("Match &whole word only")))
    , m_up(new QRadioButton(tr("&Up")))
    , m_down(new QRadioButton(tr("&Down")))
    , m_message(new QLabel)
{
    setWindowTitle(tr("Find"));
    setObjectName("FindDialog");
    setModal(false);
    m_text->setObjectName("findText");
    m_matchCase->setObjectName("matchCase");
    m_wholeWord->setObjectName("wholeWord");
    m_up->setObjectName("directionUp");
    m_down->setObjectName("directionDown");
    m_message->setObjectName("findMessage");
    m_down->setChecked(true);

    auto *findNextButton = new QPushButton(tr("&Find Next"));
    findNextButton->setObjectName("findNext");
    findNextButton->setDefault(true);
    auto *close = new QPushButton(tr("Close"));
    connect(findNextButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_text, &QLineEdit::textChanged, this, [this] { m_message->clear(); });

    auto *direction = new QGroupBox(tr("Direction"));
    auto *dirLayout = new QHBoxLayout(direction);
    dirLayout->addWidget(m_up);
    dirLayout->addWidget(m_down);

    auto *form = new QFormLayout;
    form->addRow(tr("Fi&nd what:"), m_text);
    auto *options = new QVBoxLayout;
    options->addWidget(m_matchCase);
    options->addWidget(m_wholeWord);
    auto *lower = new QHBoxLayout;
    lower->addLayout(options);
    lower->addWidget(direction);
    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(lower);
    left->addWidget(m_message);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(findNextButton);
    buttons->addWidget(close);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
}

FindRequest FindDialog::request() const
{
    return { m_text->text(), m_matchCase->isChecked(), m_wholeWord->isChecked(),
             m_up->isChecked() };
}

bool FindDialog::findNext()
{
    const FindRequest r = request();
    if (r.text.isEmpty() || !m_findFunction)
        return false;
    const bool found = m_findFunction(r);
    m_message->setText(found ? QString()
                             : tr("Cannot find \"%1\": the search reached the %2 of the document.")
                                   .arg(r.text, r.up ? tr("beginning") : tr("end")));
    return found;
}

namespace {
const char *const FontNames[]
    = { "Times New Roman", "Arial", "Tahoma", "Courier", "Verdana", "Wingdings" };

void setTriState(QCheckBox *box, std::optional<bool> value)
{
    box->setTristate(!value.has_value());
    box->setCheckState(!value ? Qt::PartiallyChecked : *value ? Qt::Checked : Qt::Unchecked);
}

std::optional<bool> triState(const QCheckBox *box)
{
    if (box->checkState() == Qt::PartiallyChecked)
        return std::nullopt;
    return box->checkState() == Qt::Checked;
}
} // namespace

FontDialog::FontDialog(QWidget *parent, const FontChoice &initial)
    : QDialog(parent)
    , m_name(new QComboBox)
    , m_size(new QComboBox)
    , m_color(new QLineEdit)
    , m_bold(new QCheckBox(tr("&Bold")))
    , m_italic(new QCheckBox(tr("&Italic")))
    , m_underline(new QCheckBox(tr("&Underline")))
{
    setWindowTitle(tr("Font"));
    setObjectName("FontDialog");
    m_name->setEditable(true);
    for (const char *name : FontNames)
        m_name->addItem(QLatin1String(name));
    m_name->setCurrentText(initial.name);
    m_size->addItem(QString());
    for (int i = 1; i <= 7; ++i)
        m_size->addItem(QString::number(i));
    m_size->setCurrentIndex(initial.size >= 1 && initial.size <= 7 ? initial.size : 0);
    m_color->setText(initial.color);
    m_color->setPlaceholderText(tr("#RRGGBB or a colour name"));
    setTriState(m_bold, initial.bold);
    setTriState(m_italic, initial.italic);
    setTriState(m_underline, initial.underline);

    auto *pick = new QPushButton(tr("..."));
    connect(pick, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(QColor(m_color->text()), this);
        if (c.isValid())
            m_color->setText(c.name().toUpper());
    });
    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(m_color);
    colorRow->addWidget(pick);

    auto *form = new QFormLayout;
    form->addRow(tr("&Font:"), m_name);
    form->addRow(tr("&Size:"), m_size);
    form->addRow(tr("&Colour:"), colorRow);
    form->addRow(m_bold);
    form->addRow(m_italic);
    form->addRow(m_underline);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

FontChoice FontDialog::choice() const
{
    FontChoice c;
    c.name = m_name->currentText().trimmed();
    c.size = m_size->currentIndex();
    c.color = m_color->text().trimmed();
    c.bold = triState(m_bold);
    c.italic = triState(m_italic);
    c.underline = triState(m_underline);
    return c;
}

QtEngineDialogs::~QtEngineDialogs()
{
    delete m_find;
}

void QtEngineDialogs::showFind(QWidget *parent, const FindFunction &find)
{
    if (!m_find)
        m_find = new FindDialog(parent, find);
    else
        m_find->setFindFunction(find);
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

bool QtEngineDialogs::chooseFont(QWidget *parent, FontChoice &choice)
{
    FontDialog dialog(parent, choice);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
}

bool QtEngineDialogs::chooseLink(QWidget *parent, QString &url)
{
    bool ok = false;
    const QString text = QInputDialog::getText(
        parent, QObject::tr("Hyperlink"), QObject::tr("&URL:"), QLineEdit::Normal,
        url.isEmpty() ? QStringLiteral("http://") : url, &ok);
    if (!ok || text.trimmed().isEmpty())
        return false;
    url = text.trimmed();
    return true;
}
