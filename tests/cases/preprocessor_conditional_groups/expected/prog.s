  mode two
  outer kept
  no debug
  after inner group
  release
  mode two release
  end
