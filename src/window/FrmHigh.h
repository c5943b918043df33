#pragma once
// The "Hall of Fame!" window: the ten best scores, shown modeless.
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

class FrmHigh final : public QWidget {
    Q_OBJECT

  public:
    // Builds the window hidden; Form_Load fills and shows it.
    explicit FrmHigh(QWidget* parent = nullptr);

    // Loads the table if no one has yet, fills the boxes and shows the window.
    void Form_Load();
    // Closes and unloads the window; the table is not touched.
    void CmdOk_Click();

    QLabel* const Label1;                  // "Name" column heading
    QLabel* const Label2;                  // "Score" column heading
    QLabel* const Label3;                  // the note below the table
    std::array<QLineEdit*, 10> TxtName{};  // names, best first
    std::array<QLineEdit*, 10> TxtScore{}; // scores beside them
    QPushButton* const CmdOk;              // closes the window

  protected:
    // The close box unloads the window like Ok.
    void closeEvent(QCloseEvent* event) override;
    // Return presses Ok, the default button, wherever the focus is; Escape
    // closes the window too, as in any dialog.
    void keyPressEvent(QKeyEvent* event) override;
};

// Opens the window unless it is already open; an open one is left as it is.
// It belongs to `owner`, above which the window system keeps it.
void OpenHallOfFame(QWidget* owner = nullptr);
// The open window, or nullptr when it is not loaded.
FrmHigh* HallOfFame();
// Unloads the window at once if it is open (tests and shut-down); not for
// use from the window's own handlers.
void CloseHallOfFame();
