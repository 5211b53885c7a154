#pragma once

#include "base/ScriptText.h"

// The texts of the merchant NPC form, as typed, and its two switches.
struct NpcForm
{
    QString id;
    QString templateId;
    QString name;
    QString title;
    QString className;
    QString collisionRadius;
    QString collisionHeight;
    QString level;
    // True when "Male" is checked; "female" otherwise, also when neither is.
    bool male = false;
    QString rhand;
    QString lhand;
    QString armor;
    bool undead = false;
};

// The merchant NPC: comment "#npc  " + name and one INSERT of a full 41-value
// `npc` row, most of it fixed merchant defaults. Name, title and class stand
// in quotes and are escaped as string literals; every other box goes in bare,
// as typed. A control character outside a literal becomes a blank. Throws
// QmError, before anything is made, when a bare box holds text that could end
// or leave the statement (BareValue).
ScriptBlock merchantNpcBlock(const NpcForm &form);
