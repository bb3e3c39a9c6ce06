# fish completion for kelvo-cli

set -l commands scan clean drives locations audit-dlls keep
set -l scanning "__fish_seen_subcommand_from scan clean"

complete -c kelvo-cli -f
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -a scan -d 'Scan folders for junk files'
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -a clean -d 'Delete the junk a scan finds, or a list'
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -a drives -d 'List the local fixed disks'
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -a locations -d 'List the common junk locations found here'
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -a audit-dlls -d 'List shared-DLL entries whose count is 0'
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -a keep -d 'List or edit the keep-list'
complete -c kelvo-cli -n "not __fish_seen_subcommand_from $commands" -s V -l version -d 'Print the version'
complete -c kelvo-cli -s h -l help -d 'Print help'

complete -c kelvo-cli -n $scanning -l patterns -x -d 'Name patterns (indexes or names)' \
    -a 'recommended all none tmp old gid bak chk ftg fts _mp syd wbk xlk \$\$\$ @@@ --- ??\$ ??~ dir ~*'
complete -c kelvo-cli -n $scanning -l temp -d 'Report everything inside temp folders'
complete -c kelvo-cli -n $scanning -l no-temp -d 'Leave temp folders alone'
complete -c kelvo-cli -n $scanning -l zero -d 'Report zero-byte files and empty folders'
complete -c kelvo-cli -n $scanning -l no-zero -d 'Leave zero-byte files and empty folders alone'
complete -c kelvo-cli -n $scanning -l special -x -a 'recent history cookies ie-cache all none' -d 'Special folders'
complete -c kelvo-cli -n $scanning -l locations -x -d 'Common junk locations' \
    -a 'thumbnails trash browser-cache app-cache crash-dumps package-cache old-logs partial-downloads snap-cache dev-cache old-temp old-journal all none'
complete -c kelvo-cli -n $scanning -l older-than -x -d 'Only files not modified for DAYS days'
complete -c kelvo-cli -n $scanning -l threads -x -d 'Threads reading folders ahead'
complete -c kelvo-cli -n $scanning -l include-package-files -d 'Also report files that installed packages own'
complete -c kelvo-cli -n $scanning -l keep -x -d 'Keep what this glob pattern matches, for this run'
complete -c kelvo-cli -n $scanning -l no-keep-list -d 'Do not read the stored keep-list'
complete -c kelvo-cli -n "__fish_seen_subcommand_from scan audit-dlls" -l format -x -a 'text tsv csv json' -d 'Output format'
complete -c kelvo-cli -n $scanning -a '(__fish_complete_directories)'

complete -c kelvo-cli -n "__fish_seen_subcommand_from scan" -s 0 -l print0 -d 'Print only the paths, each ended by NUL'
complete -c kelvo-cli -n "__fish_seen_subcommand_from scan" -l dll-audit -d 'Also list shared-DLL entries whose count is 0'

complete -c kelvo-cli -n "__fish_seen_subcommand_from clean" -l from -r -F -d 'Delete the rows of a list'
complete -c kelvo-cli -n "__fish_seen_subcommand_from clean" -l from0 -r -F -d 'Delete the paths of a NUL-separated list'
complete -c kelvo-cli -n "__fish_seen_subcommand_from clean" -s y -l yes -d 'Delete without asking'
complete -c kelvo-cli -n "__fish_seen_subcommand_from clean" -s n -l dry-run -d 'Print what would be deleted'
complete -c kelvo-cli -n "__fish_seen_subcommand_from clean" -l trash -d 'Move the files into the trash instead'
complete -c kelvo-cli -n "__fish_seen_subcommand_from clean" -l admin -d 'Then clean what needs an administrator, through pkexec'

complete -c kelvo-cli -n "__fish_seen_subcommand_from keep; and not __fish_seen_subcommand_from list add remove" -a 'list add remove'
complete -c kelvo-cli -n "__fish_seen_subcommand_from keep" -l pattern -d 'Store each entry as a pattern'
complete -c kelvo-cli -n "__fish_seen_subcommand_from keep" -a '(__fish_complete_directories)'

complete -c kelvo-cli -n "__fish_seen_subcommand_from audit-dlls" -l prefix -x -a '(__fish_complete_directories)' -d 'Wine prefix'
