#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;

namespace korvatel
{

// One card plate of the shop as the template page shows it.
struct TTemplateItem {
    QString title;
    QString path; // the plate file in the workspace
    QImage preview; // its preview picture; null when it has none
};

// The page "ｶｰﾄﾞ" of the source trees: the card plates that the shop offers, each with its
// preview and title. Choosing one (click, Enter) tells the owner which plate file to put on
// the card stage. While the list is empty the page says that the shop has no templates.
class TTemplatePage : public QWidget
{
    Q_OBJECT

public:
    explicit TTemplatePage(QWidget *parent = nullptr);

    void SetTemplates(const QList<TTemplateItem> &items);
    // An empty page says text instead of the usual "no templates yet".
    void SetEmptyText(const QString &text);
    QListWidget *lvTemplate() const { return FList; }
    // The page is shown: the first time, TemplatesWanted runs (it fetches the shop's plates
    // and hands them to SetTemplates).
    void Shown();
    std::function<void()> TemplatesWanted;

Q_SIGNALS:
    void templateChosen(const QString &path);

private:
    QListWidget *FList = nullptr;
    QLabel *FEmpty = nullptr;
    bool FAsked = false;
};

} // namespace korvatel
