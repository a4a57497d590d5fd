#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace dbx {

struct ScanResult;

// What a search that found nothing says in the results list: why (as the command line says
// it), and a button that runs the deep search when the store holds blocks that no record
// leads to any more or lies displaced. Follows the list's size.
class NothingFoundNote : public QWidget {
    Q_OBJECT
  public:
    explicit NothingFoundNote(QWidget* list);

    // Shown after a search that found nothing, for the store at `path`; `deep` tells whether
    // that search was already the deep one.
    void ShowFor(const std::string& path, const ScanResult& result, bool deep);

  signals:
    void DeepSearchAsked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FollowList();

    QWidget* list_;
    QLabel* reason_;
    QPushButton* deep_;
};

// Why the search of `path` found nothing, one sentence; empty when it was stopped.
std::string NothingFoundReason(const std::string& path, const ScanResult& result);

}  // namespace dbx
