; main.asm - counts in a 16-bit tick count and shows its low byte on port B
; (the start-up code that copies init_vars from its image is left out)

        global  start
        extern  io_init, io_show, delay

reset   code    0x7FF
        goto    start

.udata  udata
ticks   res     2

init_vars idata
pause   db      0x40

main_code code
start   pagesel io_init
        call    io_init
        pagesel loop
        banksel ticks
        clrf    ticks
        clrf    ticks+1
loop    incfsz  ticks, f
        goto    show
        incf    ticks+1, f
show    movf    ticks, w
        pagesel io_show
        call    io_show
        banksel pause
        movf    pause, w
        pagesel delay
        call    delay
        banksel ticks
        pagesel loop
        goto    loop
        end
