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
    setText(e, "txtMembPri", in.price);
    setText(e, "txtMembOccu", in.occupied);
    setText(e, "txtIndirect", in.indirect);
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
        pick(control<QComboBox>(e, "cmbMember"), u"佐藤 健一"_s);
        QCOMPARE(controlText(e, "cmbMKind"), u"PM"_s);
        QCOMPARE(controlText(e, "txtMembPri"), u"6,500"_s);
    }

    void typedNameIsRegistered()
    {
        QWidget* e = open(0);
        DbConnection& c = m_f.state->conn();
        enterMember(e, {u"新人 O'Hara"_s, true, u"PG"_s, u"3,200"_s, u"100"_s, QString()});
        const int id =
            scalar(c, u"SELECT NMEMBER AS V FROM MMEMBER WHERE CMEMBER = '新人 O''Hara'"_s).toInt();
        QCOMPARE(id, 7);
        QCOMPARE(scalar(c, u"SELECT NMKIND AS V FROM MMEMBER WHERE NMEMBER = 7"_s).toInt(), 4);
        QCOMPARE(scalar(c, u"SELECT NMEMBPRI AS V FROM MMEMBER WHERE NMEMBER = 7"_s).toDouble(), 3200.0);
        QCOMPARE(scalar(c, u"SELECT NSORT AS V FROM MMEMBER WHERE NMEMBER = 7"_s).toInt(), 7);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(keyOfRow(e, 0), u"M0007"_s);
        QCOMPARE(rowTexts(list, 0), (QStringList{"新人 O'Hara", "PG", "3,200", "100", ""}));
        // The new member is now an entry of the list, last, and selected.
        auto* member = control<QComboBox>(e, "cmbMember");
        QCOMPARE(member->itemText(member->count() - 1), u"新人 O'Hara"_s);
        QCOMPARE(member->currentIndex(), member->count() - 1);
    }

    void typedExistingNameUsesTheMaster()
    {
        QWidget* e = open(0);
        DbConnection& c = m_f.state->conn();
        enterMember(e, {u" 高橋 翔 "_s, true, u"PL"_s, u"5,200"_s, u"80"_s, u"8"_s});
        QCOMPARE(rowCount(c, u"MMEMBER"_s), 6);
        QCOMPARE(keyOfRow(e, 0), u"M0003"_s);
        QCOMPARE(rowTexts(control<QTreeWidget>(e, "lvwMList"), 0).first(), u"高橋 翔"_s);
        QCOMPARE(scalar(c, u"SELECT NMKIND AS V FROM MMEMBER WHERE NMEMBER = 3"_s).toInt(), 2);
        QCOMPARE(scalar(c, u"SELECT NMEMBPRI AS V FROM MMEMBER WHERE NMEMBER = 3"_s).toDouble(), 5200.0);
    }

    void refusals_data()
    {
        addColumns<QString, QString, QString, QString, QString>(
            {"member", "price", "occupied", "title", "text"});
        QTest::newRow("no member") << QString() << u"1"_s << u"1"_s << u"入力確認"_s
                                   << u"メンバは必須入力です。"_s;
        QTest::newRow("no price") << u"高橋 翔"_s << QString() << u"1"_s << u"入力確認"_s
                                  << u"費用は必須入力です。"_s;
        QTest::newRow("no hours") << u"高橋 翔"_s << u"1"_s << QString() << u"入力確認"_s
                                  << u"占有時間は必須入力です。"_s;
        QTest::newRow("hours not a number")
            << u"高橋 翔"_s << u"1"_s << u"-"_s << u"入力確認"_s << u"占有時間の値が正しくありません。"_s;
        QTest::newRow("twice the same person") << u"佐藤 健一"_s << u"6,500"_s << u"10"_s << u"重複エラー"_s
                                               << u"その人は既に登録されています。"_s;
    }
    void refusals()
    {
        QFETCH(QString, member);
        QFETCH(QString, price);
        QFETCH(QString, occupied);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QWidget* e = open(0);
        enterMember(e, {u"佐藤 健一"_s, false, QString(), u"6,500"_s, u"10"_s, QString()});
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
        QCOMPARE(controlText(e, "cmbMember"), u"佐藤 健一"_s);
        QCOMPARE(controlText(e, "txtMembOccu"), u"80"_s);
        clickButton(e, "cmdMembDel");
        COMPARE_LAST_MESSAGE(u"使用済み"_s, u"指定のメンバは既に作業分担されています。削除できません。"_s,
                             Messages::Exclamation);
        QCOMPARE(list->topLevelItemCount(), 5);

        enterMember(e, {u"田中 優子"_s, false, QString(), u"4,500"_s, u"200"_s, u"60"_s}, "cmdMembUp");
        COMPARE_LAST_MESSAGE(u"使用済み"_s, u"更新前のメンバが既に作業分担されています。更新できません。"_s,
                             Messages::Exclamation);
        QCOMPARE(rowTexts(list, 0).first(), u"佐藤 健一"_s);

        // The hours and the cost of the same member may change.
        Messages::clearShown();
        enterMember(e, {u"佐藤 健一"_s, false, QString(), u"7,000"_s, u"220"_s, u"60"_s}, "cmdMembUp");
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(rowTexts(list, 0), (QStringList{"佐藤 健一", "PM", "7,000", "220", "60"}));
    }

    void memberWithWorkElsewhereCanGo()
    {
        QWidget* e = open(2);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        // 田中 優子 has work in project 3 only.
        enterMember(e, {u"田中 優子"_s, false, QString(), u"4,500"_s, u"40"_s, QString()});
        QCOMPARE(list->topLevelItemCount(), 6);
        clickRow(list, 5);
        clickButton(e, "cmdMembDel");
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(list->topLevelItemCount(), 5);
        // No neighbour looks chosen while update and delete wait for a click.
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(e, "cmdMembUp")->isEnabled());
        QVERIFY(!control<QPushButton>(e, "cmdMembDel")->isEnabled());
        QCOMPARE(rowCount(m_f.state->conn(), u"MMEMBER"_s, u"NMEMBER = 4"_s), 1);
    }

    void personnelCost_data()
    {
        addColumns<bool, QString>({"indirect", "total"});
        QTest::newRow("indirect hours not charged") << false << u"400,000"_s;
        QTest::newRow("indirect hours charged") << true << u"500,000"_s;
    }
    void personnelCost()
    {
        QFETCH(bool, indirect);
        QFETCH(QString, total);
        m_f.state->policy.Indirect = indirect;
        QWidget* e = open(0);
        enterMember(e, {u"鈴木 美咲"_s, false, QString(), u"5,000"_s, u"100"_s, u"20"_s});
        QCOMPARE(controlText(e, "lblPerExp"), total);
        clickRow(control<QTreeWidget>(e, "lvwMList"), 0);
        clickButton(e, "cmdMembDel");
        QCOMPARE(controlText(e, "lblPerExp"), u"0"_s);
    }

    // After an update that gave the row another member, update and delete act on that row.
    void updateKeepsTheRowsNewKey()
    {
        QWidget* e = open(0);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        enterMember(e, {u"高橋 翔"_s, false, QString(), u"4,800"_s, u"10"_s, QString()});
        enterMember(e, {u"伊藤 大輔"_s, false, QString(), u"3,500"_s, u"20"_s, QString()});
        clickRow(list, 0);
        enterMember(e, {u"田中 優子"_s, false, QString(), u"4,500"_s, u"30"_s, QString()}, "cmdMembUp");
        QCOMPARE(keyOfRow(e, 0), u"M0004"_s);
        enterMember(e, {u"田中 優子"_s, false, QString(), u"4,500"_s, u"35"_s, QString()}, "cmdMembUp");
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(rowTexts(list, 0), (QStringList{"田中 優子", "SE", "4,500", "35", ""}));
        QCOMPARE(rowTexts(list, 1).first(), u"伊藤 大輔"_s);
        clickButton(e, "cmdMembDel");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(keyOfRow(e, 0), u"M0005"_s);
    }

    void movingRows()
    {
        QWidget* e = open(2);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        QVERIFY(!control<QPushButton>(e, "cmdMUp")->isEnabled());
        clickRow(list, 0);
        QVERIFY(control<QPushButton>(e, "cmdMUp")->isEnabled());
        clickButton(e, "cmdMUp"); // the first row stays first
        QCOMPARE(keyOfRow(e, 0), u"M0001"_s);
        clickButton(e, "cmdMDown");
        clickButton(e, "cmdMDown");
        QCOMPARE(columnTexts(list),
                 (QStringList{"鈴木 美咲", "高橋 翔", "佐藤 健一", "伊藤 大輔", "渡辺 さくら"}));
        QCOMPARE(ItemKey(SelectedItem(list)), u"M0001"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(
            scalar(m_f.state->conn(), u"SELECT NADD AS V FROM TMEMBER WHERE NPROJECT = 2 AND NMEMBER = 1"_s)
                .toInt(),
            3);
    }

    // A stored row whose job kind lost its label is shown and saved back as it was.
    void rowWithUnknownJobKindIsKept()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, u"INSERT INTO TMEMBER VALUES (4, 1, 2, 9, 5500, 100, 10)"_s);
        QWidget* e = open(4);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        QCOMPARE(rowTexts(list, 0), (QStringList{"鈴木 美咲", "", "5,500", "100", "10"}));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NMKIND AS V FROM TMEMBER WHERE NPROJECT = 4"_s).toInt(), 9);
    }

private:
    QWidget* open(int project) { return m_f.open(project, 1); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectMembers)
#include "test_project_members.moc"
