#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// frmConnStr: the database name, user and password of the connection settings.
class ConnStrDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConnStrDialog(QWidget* parent = nullptr);

    void testConnection();  // 接続確認
    void accept() override; // OK

private:
    QLineEdit* m_dbName;
    QLineEdit* m_userID;
    QLineEdit* m_passwd;
};
