#include "insert/picture_panel.h"

#include "app/main_widgets_builder.h"
#include "insert/insert_texts.h"
#include "insert/picture_fit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QStorageInfo>

namespace {

constexpr float BoxWidth = 1815, BoxHeight = 1590;

QRect twips(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QLineEdit *addField(QFrame *frame, const char *name, const QString &caption, int left, int top,
                    int width)
{
    auto *label = new QLabel(caption, frame);
    label->setGeometry(twips(left, top - 255, width + 600, 240));
    auto *field = new QLineEdit(frame);
    field->setObjectName(name);
    field->setGeometry(twips(left, top, width, 315));
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return field;
}

QPushButton *addButton(QFrame *frame, const char *name, const QString &caption, int top)
{
    auto *b = new QPushButton(caption, frame);
    b->setObjectName(name);
    b->setGeometry(twips(4050, top, 2040, 315));
    return b;
}

void onReturn(QWidget *widget, QObject *context, const std::function<void()> &action)
{
    auto *enter = new QShortcut(QKeySequence(Qt::Key_Return), widget);
    enter->setContext(Qt::WidgetShortcut);
    QObject::connect(enter, &QShortcut::activated, context, action);
}

} // namespace

PicturePanel::PicturePanel(QFrame *frame, QObject *parent)
    : QObject(parent)
{
    m_dirPath = m_filePath = QDir::currentPath();
    build(frame);
    fillDrives();
    m_dirs->setRootPath(m_dirPath);
    Dir1->setRootIndex(m_dirs->index(m_dirPath));
    showFiles();
}

void PicturePanel::build(QFrame *frame)
{
    frame->setAutoFillBackground(true);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    frame->setPalette(pal);

    Previewbox = new QFrame(frame);
    Previewbox->setObjectName("Previewbox");
    Previewbox->setAccessibleName(QStringLiteral("Preview"));
    Previewbox->setGeometry(twips(75, 75, 1815, 1590));
    Previewbox->setAutoFillBackground(true);
    QPalette white = Previewbox->palette();
    white.setColor(QPalette::Window, Qt::white);
    Previewbox->setPalette(white);
    previewimage = new QLabel(Previewbox);
    previewimage->setObjectName("previewimage");
    previewimage->setScaledContents(true);
    previewimage->hide();
    auto *previewLabel = new QLabel(QStringLiteral("Preview"), frame);
    previewLabel->setGeometry(twips(75, 1680, 1815, 240));

    Drive1 = new QComboBox(frame);
    Drive1->setObjectName("Drive1");
    Drive1->setAccessibleName(QStringLiteral("Drive"));
    Drive1->view()->setAccessibleName(QStringLiteral("Drives"));
    Drive1->setGeometry(twips(1950, 75, 2040, 315));

    m_dirs = new QFileSystemModel(this);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDot);
    Dir1 = new QListView(frame);
    Dir1->setObjectName("Dir1");
    Dir1->setAccessibleName(QStringLiteral("Folders"));
    Dir1->setModel(m_dirs);
    Dir1->setGeometry(twips(1950, 450, 2040, 1440));

    File1 = new QListView(frame);
    File1->setObjectName("File1");
    File1->setAccessibleName(QStringLiteral("Pictures"));
    File1->setGeometry(twips(4050, 65, 2040, 1845));

    // Problems are said here rather than in a box per click.
    m_status = new QLabel(frame);
    m_status->setObjectName("pictureProblem");
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_status->setGeometry(twips(6200, 75, 3000, 1845));

    txtAltPicture = addField(frame, "txtAltPicture",
                             QStringLiteral("Alt Tag (Picture Description)"), 75, 2250, 2790);
    txtwidth = addField(frame, "txtwidth", QStringLiteral("Width"), 75, 2850, 615);
    txtheight = addField(frame, "txtheight", QStringLiteral("Height"), 1200, 2850, 615);
    txtBorder = addField(frame, "txtBorder", QStringLiteral("Border"), 2325, 2850, 540);
    txtBorder->setText(QStringLiteral("0"));
    Command3 = addButton(frame, "Command3", QStringLiteral("Cancel"), 2250);
    Command2 = addButton(frame, "Command2", QStringLiteral("Insert Picture"), 2850);

    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
    connect(Dir1, &QListView::clicked, this, [this] { Dir1_Click(); });
    connect(Dir1, &QListView::doubleClicked, this,
            [this](const QModelIndex &i) { Dir1_Change(m_dirs->filePath(i)); });
    onReturn(Dir1, this, [this] {
        if (Dir1->currentIndex().isValid())
            Dir1_Change(m_dirs->filePath(Dir1->currentIndex()));
    });
    connect(File1, &QListView::clicked, this, &PicturePanel::fileClicked);
    connect(File1, &QListView::doubleClicked, this, &PicturePanel::insertRequested);
    onReturn(File1, this, [this] { emit insertRequested(); });
    connect(Command2, &QPushButton::clicked, this, &PicturePanel::insertRequested);
    connect(Command3, &QPushButton::clicked, this, &PicturePanel::cancelRequested);
}

void PicturePanel::fillDrives()
{
    QStringList roots;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes()) {
        if (s.isValid() && s.isReady() && QFileInfo(s.rootPath()).isReadable()
            && !roots.contains(s.rootPath()))
            roots << s.rootPath();
    }
    roots.sort();
    // The root file system first.
    roots.removeAll(QStringLiteral("/"));
    roots.prepend(QStringLiteral("/"));
    Drive1->addItems(roots);
    Drive1->setCurrentText(QStorageInfo(m_dirPath).rootPath());
}

void PicturePanel::say(const QString &text)
{
    m_status->setText(text);
}

QString PicturePanel::problem() const
{
    return m_status->text();
}

void PicturePanel::Drive1_Change()
{
    const QString root = Drive1->currentText();
    const QStorageInfo drive(root);
    if (!drive.isValid() || !drive.isReady() || !QFileInfo(root).isReadable()) {
        say(QStringLiteral("The drive %1 cannot be read.").arg(root));
        return;
    }
    Dir1_Change(root);
}

void PicturePanel::Dir1_Change(const QString &path)
{
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        say(QStringLiteral("The folder %1 cannot be opened.").arg(folder));
        return;
    }
    say(QString());
    m_dirPath = folder;
    m_dirs->setRootPath(folder);
    Dir1->setRootIndex(m_dirs->index(folder));
    m_filePath = m_dirPath;
    m_pattern = QStringLiteral("*.jpg;*.gif");
    showFiles();
}

void PicturePanel::Dir1_Click()
{
    m_filePath = m_dirPath;
    showFiles();
}

void PicturePanel::showFiles()
{
    // A fresh model for each folder: one that has been in another folder
    // keeps showing the folders on its way there, whatever its filter.
    auto *files = new QFileSystemModel(this);
    files->setFilter(QDir::Files);
    files->setNameFilterDisables(false);
    files->setNameFilters(m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    files->setRootPath(m_filePath);
    QItemSelectionModel *oldSelection = File1->selectionModel();
    File1->setModel(files);
    File1->setRootIndex(files->index(m_filePath));
    delete oldSelection;
    if (m_files)
        m_files->deleteLater();
    m_files = files;
    // The arrow keys preview as clicks do; Enter inserts.
    connect(File1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &i) { fileClicked(i); });
    m_fileName.clear();
}

QString PicturePanel::fullPath() const
{
    return joinFilePath(m_filePath, m_fileName);
}

void PicturePanel::fileClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_fileName = m_files->fileName(index);
    File1_Click();
}

void PicturePanel::File1_Click()
{
    if (m_fileName.isEmpty())
        return;
    previewimage->move(0, 0);
    QImageReader reader(fullPath());
    const QImage image = reader.read();
    if (image.isNull()) {
        previewimage->clear();
        previewimage->hide();
        say(QStringLiteral("%1 cannot be shown as a picture: %2")
                .arg(m_fileName, reader.errorString()));
        return;
    }
    say(QString());
    const float width = float(image.width() * TwipsPerPixel);
    const float height = float(image.height() * TwipsPerPixel);
    txtwidth->setText(singleText(width / float(TwipsPerPixel)));
    txtheight->setText(singleText(height / float(TwipsPerPixel)));
    const PreviewSize fit = fitPreview(BoxWidth, BoxHeight, width, height);
    previewimage->resize(qMax(1, twipsToPixels(fit.width)), qMax(1, twipsToPixels(fit.height)));
    previewimage->setPixmap(QPixmap::fromImage(image));
    previewimage->show();
}

QString PicturePanel::elementHtml() const
{
    return pictureHtml(fullPath(), txtBorder->text(), txtwidth->text(), txtheight->text(),
                       txtAltPicture->text());
}
