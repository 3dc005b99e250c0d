# fish completion for glimractl: commands, their options, colour and mode names, brightness
# levels, and file names for firmware.

set -l commands list status color up down brightness mode on off default recover firmware serve

complete -c glimractl -f
complete -c glimractl -s h -l help -d 'Show the help'
complete -c glimractl -l version -d 'Show the version'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a list -d 'Present controllers'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a status -d 'Version, records, swatch, level, mode, on'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a color -d 'Select a colour'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a up -d 'One brightness level up'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a down -d 'One brightness level down'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a brightness -d 'Set the brightness level'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a mode -d 'Select a lighting mode'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a on -d 'Switch the lighting on'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a off -d 'Switch the lighting off'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a default -d "Restore the controller's defaults"
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a recover -d 'Start the firmware after a failed update'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a firmware -d 'Update the firmware from an image file'
complete -c glimractl -n "not __fish_seen_subcommand_from $commands" -a serve -d 'Hold the controller as a service'

complete -c glimractl -n '__fish_seen_subcommand_from color' -a 'red white cyan blue green yellow orange purple'
complete -c glimractl -n '__fish_seen_subcommand_from mode' -a 'static strobe breath gradual static-cycle breath-cycle'
complete -c glimractl -n '__fish_seen_subcommand_from brightness' -a '1 2 3 4 5 6 7 8'
complete -c glimractl -n '__fish_seen_subcommand_from firmware' -F
complete -c glimractl -n '__fish_seen_subcommand_from list status firmware' -l json -d 'One JSON object'
complete -c glimractl -n '__fish_seen_subcommand_from status' -l dump -d 'Also the record dump'
complete -c glimractl -n '__fish_seen_subcommand_from firmware' -s y -l yes -d 'Do not ask'
complete -c glimractl -n '__fish_seen_subcommand_from serve' -l openrgb -d 'Also the OpenRGB SDK server'
