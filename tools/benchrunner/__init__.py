"""Drives the Corvane programs, collects their statistics lines and writes results.

Modules, from the bottom up:
  stats_line  parses one statistics line
  configs     which programs to run and what they are (executor, shape, body count)
  display     an Xvfb server for the session when there is no display
  build       builds the shipped programs
  process     one run of one program: start, read lines live, stop with SIGTERM
  progress    what the runner tells the user on stderr while it works
  results     the per-line rows and the per-run records, as CSV and JSON
  summary     medians and spreads per configuration, as JSON and markdown
  svg_chart   the bar chart, as hand-written SVG
  cli         the command line that ties them together
"""
