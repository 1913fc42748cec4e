#include "common/overflow.h"

#include "common/messages.h"

void ShowOverflow()
{
    Messages::critical(nullptr, QStringLiteral("オーバフロー"),
                       QStringLiteral("オーバーフローしました。\n"
                                      "工数とその合計値として%1を超える数値は扱えません。\n"
                                      "オーバフローした数値は０に置き換えて計算しました。\n"
                                      "オーバフローしない数値に修正してください。")
                           .arg(kShortMax));
}

qint32 WarnOnOverflow(const WholeNumber& number)
{
    if (number.overflowed) {
        ShowOverflow();
    }
    return number.value;
}
