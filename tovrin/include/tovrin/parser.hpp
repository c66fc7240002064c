#pragma once

// The parsers from expression and accessor text to trees.
#include "tovrin/parser/accessor.hpp"
#include "tovrin/parser/expression.hpp"
#include "tovrin/parser/lexical.hpp"
#include "tovrin/parser/parse_result.hpp"
