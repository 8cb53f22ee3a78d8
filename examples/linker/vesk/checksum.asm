; checksum.asm - adds up W bytes from the address in FSR into sum
INDF    equ     0x00
FSR     equ     0x04

        global  checksum, sum

.udata  udata
count   res     1
sum     res     1

sum_code code
checksum banksel count
        movwf   count
        clrf    sum
next    movf    INDF, w
        addwf   sum, f
        incf    FSR, f
        decfsz  count, f
        goto    next
        return
        end
