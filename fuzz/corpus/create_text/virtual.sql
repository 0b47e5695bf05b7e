CREATE VIRTUAL TABLE docs USING fts5(title, body, tokenize = 'porter')
