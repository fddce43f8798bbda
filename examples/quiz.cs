;; A riddle quiz: variables, typed lines and a condition.
;; Run it from the repository root: conscript examples/quiz.cs
var name string
var reply string
var nothing string
var riddles num
set riddles 2
print What is your name?
endl
input name
print Hello, 
vprint name
print ! Here are 
vprint riddles
print riddles.
endl
print 1. What has keys but cannot open a lock?
endl
print Think, then press Enter for the answer (or type skip and Enter to skip): 
input reply
vcmp reply == nothing examples/quiz-piano.cs
print 2. What gets wetter the more it dries?
endl
print Press Enter for the answer: 
input reply
vcmp reply == nothing examples/quiz-towel.cs
print Goodbye, 
vprint name
print .
endl
~PROG
