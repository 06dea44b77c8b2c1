#include "unit_frames.h"
#include "escape.h"

#include "controls/zel/spinedit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

namespace dialogs {

TFrameset::TFrameset(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    auto row = [this](const char *name, const QString &caption, const char *spinName, QRadioButton *&radio,
                      zel::TZELSpinEdit *&spin) {
        radio = new QRadioButton(caption, this);
        radio->setObjectName(QString::fromLatin1(name));
        spin = new zel::TZELSpinEdit(this);
        spin->setObjectName(QString::fromLatin1(spinName));
        spin->LimitTyping = true;
        spin->SetMinValue(0);
        spin->SetMaxValue(100);
        spin->setText(QStringLiteral("0"));
        auto *h = new QHBoxLayout;
        h->addWidget(spin);
        h->addWidget(new QLabel(QStringLiteral("%"), this));
        const int r = grid_->rowCount();
        grid_->addWidget(radio, r, 0);
        grid_->addLayout(h, r, 1);
    };
    row("Rows", QStringLiteral("&Rows"), "SpinRows", Rows, SpinRows);
    row("Cols", QStringLiteral("&Cols"), "SpinCols", Cols, SpinCols);
    // Only the chosen one's share is asked for.
    connect(Rows, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            SpinRows->show();
            SpinCols->hide();
        }
    });
    connect(Cols, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            SpinCols->show();
            SpinRows->hide();
        }
    });
    FinishLoading();
}

QString TFrameset::Build() const
{
    if (Rows->isChecked())
        return QStringLiteral("<FRAMESET ROWS=\"%1%\"></FRAMESET>").arg(SpinRows->text());
    if (Cols->isChecked())
        return QStringLiteral("<FRAMESET COLS=\"%1%\"></FRAMESET>").arg(SpinCols->text());
    return QString();
}

void TFrameset::HandOverOwn() { ClosesOnOk = Rows->isChecked() || Cols->isChecked(); }

namespace {

const char *const tabNames[] = {"Font", "Text", "Margins", "Position"};

int tabOf(const QString &field)
{
    static const QHash<QString, int> tabs = [] {
        QHash<QString, int> h;
        auto put = [&h](int tab, std::initializer_list<const char *> names) {
            for (const char *n : names)
                h.insert(QString::fromLatin1(n), tab);
        };
        put(0, {"Font Family", "Size", "Font Weight", "Font Style", "Cursor", "Text Color", "Background Color"});
        put(1, {"Text Indent", "Text Align", "Text Decoration", "Transform", "Line Height"});
        put(2, {"Margin Top", "Margin Bottom", "Margin Left", "Margin Right", "Padding", "Border Top", "Border Bottom",
                "Border Left", "Border Right"});
        put(3, {"Position Type", "Left", "Top", "Width", "Height", "Z-Order", "Overflow"});
        return h;
    }();
    return tabs.value(field, -1);
}

} // namespace

TStyle::TStyle(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    QGridLayout *pages[4];
    for (int i = 0; i < 4; ++i) {
        auto *page = new QWidget(PageControl1);
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        pages[i] = new QGridLayout(page);
        PageControl1->addTab(page, QString::fromLatin1(tabNames[i]));
    }
    const QString unitSuffix = QStringLiteral(" unit");
    for (const TFieldDesc &f : desc.fields) {
        QWidget *w = Field(f.name);
        const int at = grid_->indexOf(w);
        int row = 0, col = 0, rs = 0, cs = 0;
        grid_->getItemPosition(at, &row, &col, &rs, &cs);
        QWidget *label = grid_->itemAtPosition(row, 0) ? grid_->itemAtPosition(row, 0)->widget() : nullptr;
        const bool unit = f.name.endsWith(unitSuffix);
        const int tab = tabOf(unit ? f.name.chopped(unitSuffix.size()) : f.name);
        if (tab < 0)
            continue;
        grid_->removeWidget(w);
        QGridLayout *g = pages[tab];
        if (unit) {
            // Beside its value, the row before.
            delete label;
            g->addWidget(w, g->rowCount() - 1, 2);
            continue;
        }
        const int r = g->rowCount();
        if (label) {
            grid_->removeWidget(label);
            label->setParent(g->parentWidget());
            g->addWidget(label, r, 0);
        }
        w->setParent(g->parentWidget());
        g->addWidget(w, r, 1);
    }
    for (QGridLayout *g : pages)
        g->setRowStretch(g->rowCount(), 1);
    grid_->addWidget(PageControl1, grid_->rowCount(), 0, 1, 2);
    FinishLoading();
}

QString TStyle::Build() const
{
    static const QRegularExpression declaration(QStringLiteral(R"(^(\s+)([a-z-]+): \{([^}]+)\}(?:\{([^}]+)\})?$)"));
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    const TValues v = Values();
    QStringList out;
    for (const QString &line : Desc().templ.split(QStringLiteral("\r\n"))) {
        const QRegularExpressionMatch m = declaration.match(line);
        if (!m.hasMatch()) {
            out << Expand(line, v);
            continue;
        }
        QString property = m.captured(2);
        QString value = v.value(m.captured(3)).trimmed();
        if (value.isEmpty())
            continue;
        const QString unit = m.captured(4).isEmpty() ? QString() : v.value(m.captured(4)).trimmed();
        if (number.match(value).hasMatch() && value.toDouble() != 0 && property != QLatin1String("line-height") &&
            property != QLatin1String("z-order"))
            value += unit.isEmpty() ? QStringLiteral("px") : unit;
        else if (number.match(value).hasMatch() && property == QLatin1String("line-height"))
            value += unit;
        if (property == QLatin1String("z-order"))
            property = QStringLiteral("z-index");
        else if (property == QLatin1String("font-weight") && value == QLatin1String("light"))
            value = QStringLiteral("lighter");
        else if (property == QLatin1String("font-style") && value == QLatin1String("none"))
            value = QStringLiteral("normal");
        else if (property == QLatin1String("font-style") && value == QLatin1String("small-caps"))
            property = QStringLiteral("font-variant");
        else if (property == QLatin1String("cursor") && value == QLatin1String("hand"))
            value = QStringLiteral("pointer");
        out << m.captured(1) + property + QStringLiteral(": ") + value + QLatin1Char(';');
    }
    return out.join(QStringLiteral("\r\n"));
}

TWindowOpen::TWindowOpen(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    struct Option {
        const char *name, *caption, *word;
    };
    static const Option options[] = {{"Toolbar", "&Toolbar", "toolbar"},
                                     {"Menubar", "&Menubar", ",menubar"},
                                     {"StatusBar", "&Status Bar", ",status"},
                                     {"Directories", "&Directories", ",directories"},
                                     {"Scrollbars", "Scroll&bars", ",scrollbars"},
                                     {"Resizeable", "&Resizeable", ",resizable"},
                                     {"Location", "&Location", ",location"},
                                     {"CopyHistory", "&Copy History", ",copyhistory"}};
    auto *box = new QGridLayout;
    int i = 0;
    for (const Option &o : options) {
        auto *c = new QCheckBox(QString::fromLatin1(o.caption), this);
        c->setObjectName(QString::fromLatin1(o.name));
        const QString word = QString::fromLatin1(o.word);
        const int index = i;
        words_ << QString();
        // Each box changes its own word only.
        connect(c, &QCheckBox::toggled, this, [this, index, word](bool on) { words_[index] = on ? word : QString(); });
        box->addWidget(c, i / 2, i % 2);
        Options << c;
        ++i;
    }
    Options.first()->setChecked(true);
    grid_->addWidget(new QLabel(QStringLiteral("Options:"), this), grid_->rowCount(), 0, Qt::AlignTop);
    grid_->addLayout(box, grid_->rowCount() - 1, 1);
    FinishLoading();
}

QString TWindowOpen::Features() const { return words_.join(QString()); }

QString TWindowOpen::Build() const
{
    const TValues v = Values();
    return QStringLiteral(R"(OpenNewWindow = window.open("%1","%2","%3,height=%4,width=%5"))")
        .arg(JsString(v.value(QStringLiteral("URL"))), JsString(v.value(QStringLiteral("Window Title"))), Features(),
             v.value(QStringLiteral("Height")), v.value(QStringLiteral("Width")));
}

} // namespace dialogs
