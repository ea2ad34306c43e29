; the output of an earlier run
  push A
