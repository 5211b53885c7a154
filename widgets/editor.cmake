# The SQL editor: the MySQL tokenizer and its word lists decide (core); the
# lexer adapter and the editor widget show (ui).
target_sources(qm_core PRIVATE
  SqlTokenizer.cpp SqlTokenizer.h
  SqlWords.cpp SqlWords.h
)
target_sources(qm_ui PRIVATE
  SqlLexer.cpp SqlLexer.h
  SqlEditor.cpp SqlEditor.h
  QsciHeaders.h
)
