#include "records/KeywordEdit.h"

#include "ui_KeywordEdit.h"

#include "core/ItemNames.h"

TKeywordEdit::TKeywordEdit(QWidget* owner) : TItemNameEdit(owner), ui(std::make_unique<Ui::TKeywordEdit>())
{
    ui->setupUi(this);
    InitItems(QStringLiteral("Keyword"), QStringLiteral("キーワード項目"),
              QStringList(KeywordNames.begin(), KeywordNames.end()),
              std::vector<int>(KeywordModes.begin(), KeywordModes.end()));
}

TKeywordEdit::~TKeywordEdit() = default;

bool TKeywordEdit::SaveSettings(const QStringList& names, const std::vector<int>& modes)
{
    return SaveKeywordItems(ToItemArray<TKeywordNames>(names), ToItemArray<TKeywordModes>(modes));
}

void TKeywordEdit::ApplySettings(const QStringList& names, const std::vector<int>& modes)
{
    KeywordNames = ToItemArray<TKeywordNames>(names);
    KeywordModes = ToItemArray<TKeywordModes>(modes);
}
