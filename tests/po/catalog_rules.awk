# Rules a catalog keeps beyond completeness, over `msgcat --no-wrap` output (LC_ALL=C):
#   -v mode=pot: a message with two places or more carries a translator's note (#.), and no
#                message is only places and punctuation (glue a translator cannot word);
#   -v mode=po:  in text written as lines (help: a message holding line breaks), a
#                translation's first line is no wider than 80 columns where its English's is.
# Prints one line per breach; the caller fails on any.

# The characters of a UTF-8 text: its bytes less the continuation bytes.
function width(text,    copy) {
  copy = text
  gsub(/\\"/, "\"", copy)
  gsub(/[\200-\277]/, "", copy)
  return length(copy)
}
function first_line(text,    at) {
  at = index(text, "\\n")
  return at ? substr(text, 1, at - 1) : text
}
function places(text,    copy, count) {
  copy = text
  count = gsub(/%([0-9]+\$)?s/, "", copy)
  return count
}
function check(    stripped) {
  if (id == "")
    return
  if (mode == "pot") {
    if ((places(id) >= 2 || places(plural) >= 2) && !noted)
      print "no translator's note on a message with several places: \"" id "\""
    stripped = id
    gsub(/%([0-9]+\$)?s/, "", stripped)
    gsub(/[[:punct:][:space:]]/, "", stripped)
    if (stripped == "")
      print "a message of places and punctuation only: \"" id "\""
  } else if (str != "" && index(id, "\\n") && width(first_line(str)) > 80 &&
             width(first_line(id)) <= 80) {
    print "a translation wider than 80 columns where its English is not: \"" first_line(str) "\""
  }
}
function reset() { id = ""; plural = ""; str = ""; noted = 0; field = "" }
BEGIN { reset() }
/^$/ { check(); reset(); next }
/^#\./ { noted = 1; next }
/^#/ { next }
/^msgid_plural / { field = "plural"; plural = substr($0, 15, length($0) - 15); next }
/^msgid / { field = "id"; id = substr($0, 8, length($0) - 8); next }
/^msgstr(\[0\])? / {
  field = "str"
  sub(/^msgstr(\[0\])? "/, "")
  str = substr($0, 1, length($0) - 1)
  next
}
/^msgstr\[/ { field = ""; next }
/^"/ {
  text = substr($0, 2, length($0) - 2)
  if (field == "id") id = id text
  else if (field == "plural") plural = plural text
  else if (field == "str") str = str text
  next
}
END { check() }
