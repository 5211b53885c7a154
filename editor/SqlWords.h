#pragma once

#include "editor/SqlTokenizer.h"

#include <QStringView>

#include <span>
#include <string_view>

// The three word lists of the MySQL highlighting, upper case, as written.
std::span<const std::string_view> sqlDataTypes();
std::span<const std::string_view> sqlReservedWords();
std::span<const std::string_view> sqlFunctions();

// The class of a word (letters, digits, "_", "#", "$"): ReservedWord, DataType
// or Function when one of the lists holds it, in any case of letters; else
// Identifier.
SqlTokenClass sqlWordClass(QStringView word);
