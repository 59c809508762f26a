#pragma once

#include <QDialog>
#include <QStringList>

#include <vector>

class QLabel;
class QPushButton;
class QTreeView;

namespace vantora {

class RowTableModel;

// A list a peer answers (the worklist, the archive's studies): asked on a
// thread of its own when the dialog opens and on "Refresh", a line that says
// what is happening or went wrong, and one command on the chosen row (also
// Enter and a double click). The dialogs below fill in the asking and the
// command.
class QueryListDialog : public QDialog {
    Q_OBJECT
public:
    QTreeView* list() const { return list_; }
    QPushButton* actionButton() const { return action_; }
    QPushButton* refreshButton() const { return refresh_; }
    QString statusText() const;
    // Questions or commands still running on their threads.
    int busy() const { return busy_; }

    // Asks the peer again.
    void refresh();
    // The command on the current row; a message when there is none.
    void runAction();

protected:
    QueryListDialog(const QString& title, const QStringList& headers, int actionText,
                    QWidget* parent);
    // Starts the question; the answer comes back through showRows/showStatus.
    virtual void query() = 0;
    virtual void act(int row) = 0;

    void showRows(std::vector<QStringList> rows, const QString& status);
    void showStatus(const QString& text);
    void setBusy(bool busy);

private:
    std::vector<QStringList> rows_;
    RowTableModel* model_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* action_ = nullptr;
    QPushButton* refresh_ = nullptr;
    int busy_ = 0;
};

} // namespace vantora
