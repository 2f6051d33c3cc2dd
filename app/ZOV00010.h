#pragma once
// ZOV00010: the login window, shown modally and without a border before the
// main window exists.
#include "app/login_logic.h"
#include "transfer/progress.h"

#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;

namespace zov {

class ProgressArea;

class TfrmLogin final : public QDialog, private LoginView, public ProgressWindow {
    Q_OBJECT
public:
    explicit TfrmLogin(LoginTransfer transfer = LoginTransfer::real(), QWidget* parent = nullptr);
    ~TfrmLogin() override;

    LoginLogic& logic() { return *logic_; }
    // The database is connected and the kept address read; an error is shown.
    void abrir();

    // ProgressWindow
    bool hasProgressArea() const override { return true; }
    void showProgress(const ProgressState& state) override;
    void bringToFront() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // LoginView
    QString text(LoginField field) const override;
    void setText(LoginField field, const QString& text) override;
    void focus(LoginField field) override;
    void setControlsEnabled(bool enabled) override;
    ProgressWindow* progressWindow() override { return this; }
    void closeLogin() override;

    QLineEdit* edit(LoginField field) const;
    void conectar();
    void sair();
    void forceLower(QLineEdit* edit);

    QLineEdit* edtEndereco;
    QLineEdit* edtFilial;
    QLineEdit* edtOperador;
    QLineEdit* edtSenha;
    QPushButton* btnConectar;
    QPushButton* btnSair;
    ProgressArea* progresso_;
    std::unique_ptr<LoginLogic> logic_;
    bool closingByLogic_ = false;
    bool activated_ = false;
};

} // namespace zov
