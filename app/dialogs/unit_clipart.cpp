#include "unit_clipart.h"

#include "controls/zel/explorer.h"
#include "graphics/qv/qvgifanimator.h"
#include "platform/folders.h"
#include "platform/graphics/picture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QScrollArea>

namespace dialogs {

QStringList TClipart::Categories()
{
    return {QStringLiteral("Arrows"), QStringLiteral("Balls"), QStringLiteral("Boxes"),
            QStringLiteral("Buttons"), QStringLiteral("Lines"), QStringLiteral("Mix")};
}

QString TClipart::CategoryFolder(const QString &category)
{
    return platform::ProgramFile(QStringLiteral("Clipart/") + category);
}

TClipart::TClipart(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(Categories());
    ComboBox1->setCurrentIndex(-1);
    FileListBox1 = new zel::TZELExplorerView(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->SetMask(QStringLiteral("*.gif"));
    FileListBox1->setMinimumSize(200, 220);
    Image1 = new gfx::TQvGIFAnimator;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->SetAutoSize(true);
    Image1->SetLoop(true);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBox1"));
    scroll->setWidget(Image1);
    scroll->setMinimumSize(220, 220);
    const int row = grid_->rowCount();
    grid_->addWidget(BuddyLabel(QStringLiteral("C&ategory:"), ComboBox1, this), row, 0);
    grid_->addWidget(ComboBox1, row, 1);
    grid_->addWidget(FileListBox1, row + 1, 0, 1, 2);
    grid_->addWidget(scroll, row, 2, 2, 1);
    connect(ComboBox1, &QComboBox::currentTextChanged, this, &TClipart::ShowCategory);
    FileListBox1->OnChange = [this](QObject *) { FileChosen(); };
    connect(FileListBox1, &QListWidget::itemClicked, this, [this] { FileChosen(); });
    FinishLoading();
}

void TClipart::ShowCategory(const QString &category)
{
    FileListBox1->SetDirectory(category.isEmpty() ? QString() : CategoryFolder(category));
}

void TClipart::FileChosen()
{
    const QString name = FileListBox1->FileName();
    if (name.isEmpty())
        return;
    const QString path = QDir(CategoryFolder(ComboBox1->currentText())).filePath(name);
    // The pictures stay in the program folder: linked by their full path, as an address.
    SetFieldText(Field(QStringLiteral("Edit1")), LinkAddress(path, QString()));
    Image1->SetAnimate(false);
    Image1->SetImage(nullptr);
    platform::Picture picture;
    try {
        picture.LoadFromFile(path);
        Image1->SetImage(picture.GetGraphic());
        Image1->SetAnimate(true);
    } catch (const std::exception &) {
        // A damaged picture is not shown; its path is still what the user chose.
    }
}

} // namespace dialogs
