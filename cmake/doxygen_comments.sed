# Hands the headers' plain comments to Doxygen as their documentation, leaving the headers as they
# are: a file's opening comment describes the file, a comment on lines of its own documents what
# follows it, and a comment after a declaration on the same line documents that declaration.
1s|^// |/// \\file\n/// |
s|^\([[:space:]]*\)// |\1/// |
s|^\([[:space:]]*\)//$|\1///|
s|\([;,]\)\([[:space:]]*\)// |\1\2///< |
