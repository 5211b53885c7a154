#pragma once

#include <QByteArray>
#include <QString>

// The three item tables the catalogue can show.
enum class CatalogueKind { Weapon, Armor, Items };

// The exact query of a kind (two blanks before FROM) and the table it reads.
QByteArray catalogueQuery(CatalogueKind kind);
QString catalogueTable(CatalogueKind kind);
