# Counts the jumps of x86-64 assembler text (GNU as, Intel or AT&T syntax) and
# prints: jumps, unconditional jumps, jumps to the next line, jumps to a jump,
# jumps that can be reached.
# A jump goes to the next line when its label is defined after it with only
# labels and directives between; it goes to a jump when the first instruction
# after its label is an unconditional jump. A jump can be reached when a path of
# instructions leads to it from a label that a directive names (a function made
# global with .globl, an entry of a jump table); ret ends a path, jmp goes on
# only at its label. Statements are split at ";".
# With -v only=PREFIX only the functions whose name begins with PREFIX count
# (from their label to the next .size or .globl; the C compiler's output).
{
  line = $0
  sub(/[ \t]*#.*$/, "", line)  # comments
  statements = split(line, part, ";")
  for (s = 1; s <= statements; s++) {
    text = part[s]
    gsub(/^[ \t]+|[ \t]+$/, "", text)
    if (text == "") continue
    if (text ~ /^[^ \t"]+:$/) {
      name = substr(text, 1, length(text) - 1)
      if (only != "" && index(name, only) == 1) counting = 1
      kind[++n] = "label"
      label_at[name] = n
      continue
    }
    if (text ~ /^\./) {
      if (only != "" && text ~ /^\.(size|globl)/) counting = 0
      # Every name a directive holds may be jumped to (.globl, .long .L5-.L4).
      words = split(text, word, /[ \t,+-]+/)
      for (w = 2; w <= words; w++) named[word[w]] = 1
      continue
    }
    mnemonic = text; sub(/[ \t].*$/, "", mnemonic)
    operand = text; sub(/^[^ \t]+[ \t]*/, "", operand)
    kind[++n] = "instruction"
    op[n] = mnemonic
    target[n] = operand
    counted[n] = (only == "" || counting) && mnemonic ~ /^j[a-z]+$/
  }
}
# The first instruction at or after i (n + 1 when there is none).
function instruction_from(i) {
  while (i <= n && kind[i] != "instruction") i++
  return i
}
END {
  for (name in named)
    if (name in label_at) stack[++top] = label_at[name]
  while (top > 0) {
    i = stack[top--]
    if (i > n || (i in reached)) continue
    reached[i] = 1
    if (kind[i] == "instruction" && op[i] == "ret") continue
    if (kind[i] == "instruction" && op[i] ~ /^j/ && (target[i] in label_at))
      stack[++top] = label_at[target[i]]
    if (!(kind[i] == "instruction" && op[i] == "jmp")) stack[++top] = i + 1
  }
  for (i = 1; i <= n; i++) {
    if (!counted[i]) continue
    jumps++
    if (op[i] == "jmp") plain++
    if (i in reached) reachable++
    if (!(target[i] in label_at)) continue
    at = label_at[target[i]]
    if (at > i && instruction_from(i + 1) > at) to_next++
    j = instruction_from(at)
    if (j <= n && op[j] == "jmp") to_jump++
  }
  printf "%d %d %d %d %d\n", jumps, plain, to_next, to_jump, reachable
}
