#include "npc/NpcStatement.h"

#include "base/BareValue.h"
#include "npc/SqlLiteral.h"

using namespace Qt::StringLiterals;

namespace {

QString bare(const QString &text)
{
    return ScriptText::oneLine(text);
}

QString quoted(const QString &text)
{
    return u'\'' + sqlStringContent(text) + u'\'';
}

} // namespace

ScriptBlock merchantNpcBlock(const NpcForm &form)
{
    BareValue::require({{u"ID"_s, form.id},
                        {u"ID Temlate"_s, form.templateId},
                        {u"C_R"_s, form.collisionRadius},
                        {u"C_H"_s, form.collisionHeight},
                        {u"Уровень"_s, form.level},
                        {u"Правая рука"_s, form.rhand},
                        {u"Левая рука"_s, form.lhand},
                        {u"Броня"_s, form.armor}});
    const QString sex = form.male ? u"male"_s : u"female"_s;
    const QString undead = form.undead ? u"1"_s : u"0"_s;

    QString statement = u"INSERT INTO `npc` VALUES ("_s;
    statement += bare(form.id) + u',' + bare(form.templateId) + u',';
    statement += quoted(form.name) + u",1,"_s + quoted(form.title) + u",1,"_s + quoted(form.className) + u',';
    statement += bare(form.collisionRadius) + u',' + bare(form.collisionHeight) + u',' + bare(form.level) + u',';
    statement += quoted(sex) + u",'ZantMerchant',"_s;
    statement += u"40,10000,10000,50.00,50.00,40,43,30,21,35,25,"_s;
    statement += u"100000,100000,10000,100000,10000,100000,1000,0,1000,"_s;
    statement += bare(form.rhand) + u',' + bare(form.lhand) + u',' + bare(form.armor) + u',';
    statement += u"1000,1000,0,0,"_s + undead + u",0);"_s;

    return {u"#npc  "_s + ScriptText::oneLine(form.name), statement};
}
