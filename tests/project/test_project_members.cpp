#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "project_fixture.h"

namespace {

struct MemberInput {
    QString member;
    bool typed = false;
    QString kind;
    QString price;
    QString occupied;
    QString indirect;
};

// Fills the member boxes the way a user does and presses one of the row buttons.
void enterMember(QWidget* e, const MemberInput& in, const char* button = "cmdMembAdd")
{
    auto* member = control<QComboBox>(e, "cmbMember");
    if (in.typed) {
        typeName(member, in.member);
    } else if (!in.member.isEmpty()) {
        pick(member, in.member);
    }
    if (!in.kind.isEmpty()) {
        pick(control<QComboBox>(e, "cmbMKind"), in.kind);
    }
    control<QLineEdit>(e, "txtMembPri")->setText(in.price);
    control<QLineEdit>(e, "txtMembOccu")->setText(in.occupied);
    control<QLineEdit>(e, "txtIndirect")->setText(in.indirect);
    clickButton(e, QString::fromLatin1(button));
}

QString keyOfRow(QWidget* e, int row)
{
    return ItemKey(control<QTreeWidget>(e, "lvwMList")->topLevelItem(row));
}

} // namespace

class TestProjectMembers : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup() { m_f.cleanup(); }

    void pickingAMemberFillsKindAndPrice()
    {
        QWidget* e = open(0);
        pick(control<QComboBox>(e, "cmbMember"), QStringLiteral("佐藤 健一"));
        QCOMPARE(control<QComboBox>(e, "cmbMKind")->currentText(), QStringLiteral("PM"));
        QCOMPARE(control<QLineEdit>(e, "txtMembPri")->text(), QStringLiteral("6,500"));
    }

    void typedNameIsRegistered()
    {
        QWidget* e = open(0);
        DbConnection& c = m_f.state->conn();
        enterMember(e, {QStringLiteral("新人 O'Hara"), true, QStringLiteral("PG"), QStringLiteral("3,200"),
                        QStringLiteral("100"), QString()});
        const int id =
            scalar(c, QStringLiteral("SELECT NMEMBER AS V FROM MMEMBER WHERE CMEMBER = '新人 O''Hara'"))
                .toInt();
        QCOMPARE(id, 7);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NMKIND AS V FROM MMEMBER WHERE NMEMBER = 7")).toInt(), 4);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NMEMBPRI AS V FROM MMEMBER WHERE NMEMBER = 7")).toDouble(),
                 3200.0);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NSORT AS V FROM MMEMBER WHERE NMEMBER = 7")).toInt(), 7);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(keyOfRow(e, 0), QStringLiteral("M0007"));
        QCOMPARE(rowTexts(list, 0), (QStringList{"新人 O'Hara", "PG", "3,200", "100", ""}));
        // The new member is now an entry of the list, last, and selected.
        auto* member = control<QComboBox>(e, "cmbMember");
        QCOMPARE(member->itemText(member->count() - 1), QStringLiteral("新人 O'Hara"));
        QCOMPARE(member->currentIndex(), member->count() - 1);
    }

    void typedExistingNameUsesTheMaster()
    {
        QWidget* e = open(0);
        DbConnection& c = m_f.state->conn();
        enterMember(e, {QStringLiteral(" 高橋 翔 "), true, QStringLiteral("PL"), QStringLiteral("5,200"),
                        QStringLiteral("80"), QStringLiteral("8")});
        QCOMPARE(rowCount(c, QStringLiteral("MMEMBER")), 6);
        QCOMPARE(keyOfRow(e, 0), QStringLiteral("M0003"));
        QCOMPARE(rowTexts(control<QTreeWidget>(e, "lvwMList"), 0).first(), QStringLiteral("高橋 翔"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT NMKIND AS V FROM MMEMBER WHERE NMEMBER = 3")).toInt(), 2);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NMEMBPRI AS V FROM MMEMBER WHERE NMEMBER = 3")).toDouble(),
                 5200.0);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("occupied");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("no member") << QString() << QStringLiteral("1") << QStringLiteral("1")
                                   << QStringLiteral("入力確認") << QStringLiteral("メンバは必須入力です。");
        QTest::newRow("no price") << QStringLiteral("高橋 翔") << QString() << QStringLiteral("1")
                                  << QStringLiteral("入力確認") << QStringLiteral("費用は必須入力です。");
        QTest::newRow("no hours") << QStringLiteral("高橋 翔") << QStringLiteral("1") << QString()
                                  << QStringLiteral("入力確認") << QStringLiteral("占有時間は必須入力です。");
        QTest::newRow("hours not a number")
            << QStringLiteral("高橋 翔") << QStringLiteral("1") << QStringLiteral("-")
            << QStringLiteral("入力確認") << QStringLiteral("占有時間の値が正しくありません。");
        QTest::newRow("twice the same person")
            << QStringLiteral("佐藤 健一") << QStringLiteral("6,500") << QStringLiteral("10")
            << QStringLiteral("重複エラー") << QStringLiteral("その人は既に登録されています。");
    }
    void refusals()
    {
        QFETCH(QString, member);
        QFETCH(QString, price);
        QFETCH(QString, occupied);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QWidget* e = open(0);
        enterMember(e, {QStringLiteral("佐藤 健一"),
                        false,
                        QString(),
                        QStringLiteral("6,500"),
                        QStringLiteral("10"),
                        {}});
        Messages::clearShown();
        control<QComboBox>(e, "cmbMember")->setCurrentIndex(-1);
        enterMember(e, {member, false, QString(), price, occupied, QString()});
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, title);
        QCOMPARE(Messages::last().text, text);
        QCOMPARE(control<QTreeWidget>(e, "lvwMList")->topLevelItemCount(), 1);
    }

    // A member with assigned work in this project can be neither removed nor replaced.
    void assignedMemberIsProtected()
    {
        QWidget* e = open(2);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        clickRow(list, 0); // 佐藤 健一, assigned
        QCOMPARE(control<QComboBox>(e, "cmbMember")->currentText(), QStringLiteral("佐藤 健一"));
        QCOMPARE(control<QLineEdit>(e, "txtMembOccu")->text(), QStringLiteral("80"));
        clickButton(e, "cmdMembDel");
        COMPARE_LAST_MESSAGE(QStringLiteral("使用済み"),
                             QStringLiteral("指定のメンバは既に作業分担されています。削除できません。"),
                             Messages::Exclamation);
        QCOMPARE(list->topLevelItemCount(), 5);

        enterMember(e,
                    {QStringLiteral("田中 優子"), false, QString(), QStringLiteral("4,500"),
                     QStringLiteral("200"), QStringLiteral("60")},
                    "cmdMembUp");
        COMPARE_LAST_MESSAGE(QStringLiteral("使用済み"),
                             QStringLiteral("更新前のメンバが既に作業分担されています。更新できません。"),
                             Messages::Exclamation);
        QCOMPARE(rowTexts(list, 0).first(), QStringLiteral("佐藤 健一"));

        // The hours and the cost of the same member may change.
        Messages::clearShown();
        enterMember(e,
                    {QStringLiteral("佐藤 健一"), false, QString(), QStringLiteral("7,000"),
                     QStringLiteral("220"), QStringLiteral("60")},
                    "cmdMembUp");
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(rowTexts(list, 0), (QStringList{"佐藤 健一", "PM", "7,000", "220", "60"}));
    }

    void memberWithWorkElsewhereCanGo()
    {
        QWidget* e = open(2);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        // 田中 優子 has work in project 3 only.
        enterMember(e, {QStringLiteral("田中 優子"),
                        false,
                        QString(),
                        QStringLiteral("4,500"),
                        QStringLiteral("40"),
                        {}});
        QCOMPARE(list->topLevelItemCount(), 6);
        clickRow(list, 5);
        clickButton(e, "cmdMembDel");
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(list->topLevelItemCount(), 5);
        // No neighbour looks chosen while update and delete wait for a click.
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(e, "cmdMembUp")->isEnabled());
        QVERIFY(!control<QPushButton>(e, "cmdMembDel")->isEnabled());
        QCOMPARE(rowCount(m_f.state->conn(), QStringLiteral("MMEMBER"), QStringLiteral("NMEMBER = 4")), 1);
    }

    void personnelCost_data()
    {
        QTest::addColumn<bool>("indirect");
        QTest::addColumn<QString>("total");
        QTest::newRow("indirect hours not charged") << false << QStringLiteral("400,000");
        QTest::newRow("indirect hours charged") << true << QStringLiteral("500,000");
    }
    void personnelCost()
    {
        QFETCH(bool, indirect);
        QFETCH(QString, total);
        m_f.state->policy.Indirect = indirect;
        QWidget* e = open(0);
        enterMember(e, {QStringLiteral("鈴木 美咲"), false, QString(), QStringLiteral("5,000"),
                        QStringLiteral("100"), QStringLiteral("20")});
        QCOMPARE(control<QLabel>(e, "lblPerExp")->text(), total);
        clickRow(control<QTreeWidget>(e, "lvwMList"), 0);
        clickButton(e, "cmdMembDel");
        QCOMPARE(control<QLabel>(e, "lblPerExp")->text(), QStringLiteral("0"));
    }

    // After an update that gave the row another member, update and delete act on that row.
    void updateKeepsTheRowsNewKey()
    {
        QWidget* e = open(0);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        enterMember(
            e,
            {QStringLiteral("高橋 翔"), false, QString(), QStringLiteral("4,800"), QStringLiteral("10"), {}});
        enterMember(e, {QStringLiteral("伊藤 大輔"),
                        false,
                        QString(),
                        QStringLiteral("3,500"),
                        QStringLiteral("20"),
                        {}});
        clickRow(list, 0);
        enterMember(e,
                    {QStringLiteral("田中 優子"),
                     false,
                     QString(),
                     QStringLiteral("4,500"),
                     QStringLiteral("30"),
                     {}},
                    "cmdMembUp");
        QCOMPARE(keyOfRow(e, 0), QStringLiteral("M0004"));
        enterMember(e,
                    {QStringLiteral("田中 優子"),
                     false,
                     QString(),
                     QStringLiteral("4,500"),
                     QStringLiteral("35"),
                     {}},
                    "cmdMembUp");
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(rowTexts(list, 0), (QStringList{"田中 優子", "SE", "4,500", "35", ""}));
        QCOMPARE(rowTexts(list, 1).first(), QStringLiteral("伊藤 大輔"));
        clickButton(e, "cmdMembDel");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(keyOfRow(e, 0), QStringLiteral("M0005"));
    }

    void movingRows()
    {
        QWidget* e = open(2);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        QVERIFY(!control<QPushButton>(e, "cmdMUp")->isEnabled());
        clickRow(list, 0);
        QVERIFY(control<QPushButton>(e, "cmdMUp")->isEnabled());
        clickButton(e, "cmdMUp"); // the first row stays first
        QCOMPARE(keyOfRow(e, 0), QStringLiteral("M0001"));
        clickButton(e, "cmdMDown");
        clickButton(e, "cmdMDown");
        QCOMPARE(columnTexts(list),
                 (QStringList{"鈴木 美咲", "高橋 翔", "佐藤 健一", "伊藤 大輔", "渡辺 さくら"}));
        QCOMPARE(ItemKey(SelectedItem(list)), QStringLiteral("M0001"));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(m_f.state->conn(),
                        QStringLiteral("SELECT NADD AS V FROM TMEMBER WHERE NPROJECT = 2 AND NMEMBER = 1"))
                     .toInt(),
                 3);
    }

    // A stored row whose job kind lost its label is shown and saved back as it was.
    void rowWithUnknownJobKindIsKept()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, QStringLiteral("INSERT INTO TMEMBER VALUES (4, 1, 2, 9, 5500, 100, 10)"));
        QWidget* e = open(4);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        QCOMPARE(rowTexts(list, 0), (QStringList{"鈴木 美咲", "", "5,500", "100", "10"}));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, QStringLiteral("SELECT NMKIND AS V FROM TMEMBER WHERE NPROJECT = 4")).toInt(), 9);
    }

private:
    QWidget* open(int project) { return m_f.open(project, 1); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectMembers)
#include "test_project_members.moc"
