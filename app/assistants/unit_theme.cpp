#include "unit_theme.h"

#include "app/dialogs/dialogbase.h"
#include "app/dialogs/engine.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/shell/shell.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace assistants {

QString ThemeArchiveName(int theme) { return QStringLiteral("theme%1.zip").arg(theme, 2, 10, QLatin1Char('0')); }

QString ThemePage(int theme)
{
    return dialogs::DataText(theme == 5 || theme == 13 ? QStringLiteral("ThemePageDark") : QStringLiteral("ThemePage"));
}

TTheme::TTheme(QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags());
    setObjectName(QStringLiteral("Theme"));
    setWindowTitle(QStringLiteral("Theme"));
    auto *outer = new QVBoxLayout(this);
    auto *banner = new QLabel(QStringLiteral("Insert a Theme"), this);
    banner->setObjectName(QStringLiteral("Banner"));
    QFont bold = banner->font();
    bold.setBold(true);
    banner->setFont(bold);
    outer->addWidget(banner);

    auto *body = new QHBoxLayout;
    ZozeZO1 = new tree::TZozeZO(this);
    ZozeZO1->setObjectName(QStringLiteral("ZozeZO1"));
    ZozeZO1->setMinimumSize(150, 260);
    tree::TZozeZONode *root = ZozeZO1->Items()->Add(nullptr, QStringLiteral("Themes"));
    for (int n = 1; n <= 16; ++n)
        ZozeZO1->Items()->AddChild(root, QStringLiteral("Theme %1").arg(n));
    root->SetExpanded(true);
    body->addWidget(ZozeZO1);

    // The previews lie in one place; the chosen theme's is shown.
    auto *previews = new QGridLayout;
    const QString folder = platform::ShippedDataFolder() + QStringLiteral("/themes/");
    for (int n = 1; n <= 16; ++n) {
        auto *l = new QLabel(this);
        l->setObjectName(QStringLiteral("Image%1").arg(n));
        l->setPixmap(QPixmap(folder + QStringLiteral("preview%1.png").arg(n, 2, 10, QLatin1Char('0'))));
        l->setFixedSize(240, 180);
        l->setScaledContents(true);
        l->hide();
        previews->addWidget(l, 0, 0);
        Previews[size_t(n - 1)] = l;
    }
    auto *blank = new QWidget(this);
    blank->setFixedSize(240, 180);
    blank->setAttribute(Qt::WA_TransparentForMouseEvents);
    previews->addWidget(blank, 0, 0);
    blank->lower();
    auto *right = new QVBoxLayout;
    right->addLayout(previews);
    Help = new QLabel(QStringLiteral("1. Choose a theme and press \"Use this theme\".\n"
                                     "2. The program that opens ZIP files starts with the theme's archive.\n"
                                     "3. Extract all its files to the folder where you save the HTML file."),
                      this);
    Help->setObjectName(QStringLiteral("Help"));
    Help->setWordWrap(true);
    Help->setMaximumWidth(240);
    right->addWidget(Help);
    right->addStretch(1);
    body->addLayout(right);
    outer->addLayout(body);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    UseTheme = new QPushButton(QStringLiteral("Use this theme"), this);
    UseTheme->setObjectName(QStringLiteral("Usethistheme"));
    UseTheme->setDefault(true);
    Cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addWidget(UseTheme);
    buttons->addWidget(Cancel);
    outer->addLayout(buttons);

    ZozeZO1->OnChange = [this](tree::TCustomZozeZO *, tree::TZozeZONode *) { showPreview(SelectedTheme()); };
    connect(UseTheme, &QPushButton::clicked, this, &TTheme::UseThemeClick);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    FinishLoading();
}

int TTheme::SelectedTheme() const
{
    const tree::TZozeZONode *node = ZozeZO1->Selected();
    if (!node)
        return 0;
    for (int n = 1; n <= 16; ++n)
        if (node->Text() == QStringLiteral("Theme %1").arg(n))
            return n;
    return 0;
}

void TTheme::SelectTheme(int theme)
{
    tree::TZozeZONode *root = ZozeZO1->Items()->GetFirstNode();
    tree::TZozeZONode *node = root && theme >= 1 && theme <= root->Count() ? root->Item(theme - 1) : nullptr;
    if (node)
        ZozeZO1->SetSelected(node);
    showPreview(SelectedTheme());
}

void TTheme::showPreview(int theme)
{
    for (int n = 1; n <= 16; ++n)
        Previews[size_t(n - 1)]->setVisible(n == theme);
}

void TTheme::UseThemeClick()
{
    const int theme = SelectedTheme();
    if (theme == 0)
        return;
    const QString archive = platform::ProgramFile(ThemeArchiveName(theme));
    // The page opens either way; without its archive the user is told why its pictures are missing.
    if (!QFileInfo(archive).isFile()) {
        platform::MessageBox(this,
                             QStringLiteral("The archive of Theme %1 is missing:\n%2\n\nThe page opens without its "
                                            "pictures.")
                                 .arg(theme)
                                 .arg(archive),
                             platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONWARNING);
    } else if (!platform::OpenWithShell(archive)) {
        platform::MessageBox(this,
                             QStringLiteral("No program took the archive of Theme %1:\n%2\n\nUnpack it into the "
                                            "folder of your page to see its pictures.")
                                 .arg(theme)
                                 .arg(archive),
                             platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONWARNING);
    }
    const QString page = ThemePage(theme);
    accept();
    if (OnStartPage)
        OnStartPage(page);
}

} // namespace assistants
