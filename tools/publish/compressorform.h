#pragma once
// The "HTML Compressor" window: compresses one source file into a target file.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zel {
class TZELFileLookup;
}

namespace publish {

class THTMLCompressor;

class TCompressor : public QDialog {
    Q_OBJECT
public:
    explicit TCompressor(QWidget *owner = nullptr);

    zel::TZELFileLookup *Edit1; // source file, with its browse button
    QLineEdit *Edit2;           // target file
    QPushButton *Button1;       // "Com&press"
    QPushButton *Button2;       // "&Cancel"
    THTMLCompressor *HTMLCompressor1;

    void Button1Click();

private:
    void tell(const QString &text);
};

} // namespace publish
