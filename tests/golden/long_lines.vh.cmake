# Writes the script of golden.long_lines to SCRIPT: chains of any length at one level
# evaluate; nesting beyond 256 levels is a line error. Made at test time, so the tree does
# not hold a megabyte of operators.
function(repeat text times out)
  string(REPEAT "${text}" ${times} s)
  set(${out} "${s}" PARENT_SCOPE)
endfunction()
repeat("+1" 19999 sum)
repeat("+x" 19999 decimals)
repeat(" + 2*3/3 - 4^1^1 + 1^1" 10000 mixed)
repeat(" = True" 20000 comparisons)
repeat(".Operator_Negate" 20000 members)
repeat("-" 200000 minuses)
repeat("-" 20001 negations)
repeat("(" 256 open256)
repeat(")" 255 close255)
repeat(")" 256 close256)
repeat("(" 257 open257)
repeat(")" 257 close257)
repeat("Sqr(" 255 sqr255)
repeat("Sqr(" 256 sqr256)
repeat("CType(" 256 ctype256)
repeat(", Double)" 256 ctypeClose256)
repeat("x.Operator_Add(" 256 member256)
repeat("1 + (-" 256 plus256)
repeat("(" 15000 open15000)
repeat(")" 15000 close15000)
repeat("-(" 100000 unclosed)
file(WRITE "${SCRIPT}" "\
' Long chains at one level: a flat sum of 20,000 Integers and of 20,000 Decimals,
' a mixed chain of every precedence level, comparisons, members, unary minus.
1${sum}
x = New Decimal(\"0.5\")
x${decimals}
0${mixed}
1 = 1${comparisons}
x${members}
${minuses}7
${negations}x
' Nesting to the limit of 256 levels, and one beyond it.
${open256}1${close256}
${sqr255}New Decimal(-1)${close255}
${ctype256}1${ctypeClose256}
${member256}x${close256}
${plus256}1${close256}
${open257}1${close257}
${sqr256}New Decimal(-1)${close256}
${open15000}1${close15000}
${unclosed}1
' The lines after them still run.
x
")
